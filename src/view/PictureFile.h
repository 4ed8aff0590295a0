#pragma once
// A picture file on disk: the one place that opens it for reading, what identifies its content
// (the stamp), and one decode of it by the route its name selects.
//
// Only a regular file is ever opened. A named pipe opened for reading waits for a writer, a
// device may act on being opened, a socket cannot be read: any of them named like a picture
// fails as a broken file does, at once, on every thread.

#include <QSize>
#include <QString>

#include <cstdint>

#include "platform/FileVersion.h"
#include "view/PictureBuffer.h"
#include "view/PictureDecoder.h"
#include "view/PngPlugin.h"

class QFile;

// What a decoded picture was made from, without reading the file again: when its FileVersion
// (the same file, untouched since: identity and change time) differs, the picture is stale.
// False when `path` cannot be looked up (or is not a regular file).
bool stampOf(FileSystem& fs, const QString& path, FileVersion* out);

namespace PictureFile {

// A descriptor open for reading on the regular file at `path` (symbolic links followed), or -1
// with errno set (EINVAL: not a regular file). Anything else is refused before it is opened,
// and the open itself never waits (O_NONBLOCK, dropped again once the file is known regular),
// so a pipe put in the file's place meanwhile is refused too. The caller closes it.
int openRegular(const QString& path);
// As openRegular, into `file` (closed first), which then owns the descriptor.
bool open(const QString& path, QFile* file);

// Bytes the picture a decode of `path` for `coverView` gives will hold (pixels, reduced where
// the decoder reduces, and the stretched copy for a valid `coverView`), from its header alone;
// -1 when unknown (a PNG name: the plug-in reads those; a HEIF file, which Qt cannot read).
int64_t estimateBytes(const QString& path, const QSize& coverView);

}  // namespace PictureFile

// One decode of one file, by the route its name selects.
struct DecodedPicture {
    bool ok = false;
    bool pngRoute = false;          // the name ends in "png" (any case)
    // The plug-in route: how it ended (PluginMissing while the plug-in is not there).
    PngLoadResult pngResult = PngLoadResult::PluginMissing;
    PictureDecoder::Outcome outcome = PictureDecoder::Outcome::NotAFile;  // the other route
    PictureBuffer picture;
    FileVersion stamp;
    bool stable = false;            // the file looked the same before and after decoding
};

// Decodes `path` as the view loads it: a name whose last three characters are "png" (any case)
// through the plug-in, only when `pngPlugin` (else nothing is decoded and ok is false); every
// other name through PictureDecoder, reduced for `coverView` when valid (see PictureDecoder::decode).
// With a valid `coverView` the stretched copy for it is prepared too. Safe on any thread; calls
// into the plug-in are serialised.
DecodedPicture decodePictureFile(FileSystem& fs, const QString& path, bool pngPlugin, const QSize& coverView);
