#pragma once
// Decoding bitmap, JPEG and GIF files into the off-screen picture.

#include <QImage>
#include <QString>

namespace PictureFile {

// The most memory one decoded picture may take. A larger image (30000 x 30000 pixels would
// need 3.4 GB) is refused before any pixel is decoded.
inline constexpr int kAllocationLimitMB = 1024;

enum class Outcome {
    Decoded,
    NotAFile,       // missing, or not a regular file (a folder, a pipe, a device)
    NotAPicture,    // empty, unreadable, or not a bitmap, JPEG or GIF file
    TooLarge,       // the header asks for more than kAllocationLimitMB
    Broken,         // the decoder gave up part way
};

// Decodes the file at `path` by its content (bitmap, JPEG or GIF; JPEG EXIF orientation
// applied) into *out, which takes the image's natural size. On any other outcome *out is left
// untouched. Never opens anything but a regular file, so a named pipe cannot hang the caller.
Outcome Decode(const QString& path, QImage* out);

}  // namespace PictureFile
