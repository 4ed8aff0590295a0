#pragma once
// Decoding bitmap, JPEG and GIF files into the off-screen picture.

#include <QImage>
#include <QString>

namespace PictureDecoder {

// The most memory decoding one picture may take at its peak: the picture at 4 bytes a pixel,
// plus for a JPEG the larger of the decoder's working memory (JpegHeader::workingBytes) and
// the copy a picture turned by its EXIF orientation is turned into; a bitmap or GIF counts its
// pixels twice, as a transparent one is laid over the background on a copy. A file that would
// take more (30000 x 30000 pixels: 3.4 GB; a progressive JPEG of a few kilobytes claiming
// 16384 x 16384: 2.7 GB) is refused from its headers, before any pixel is decoded.
inline constexpr int kAllocationLimitMB = 1024;

enum class Outcome {
    Decoded,
    NotAFile,       // missing, or not a regular file (a folder, a pipe, a device)
    NotAPicture,    // empty, unreadable, or not a bitmap, JPEG or GIF file
    TooLarge,       // the headers ask for more than kAllocationLimitMB
    Broken,         // the decoder gave up part way
};

// Decodes the file at `path` by its content (bitmap, JPEG or GIF; JPEG EXIF orientation
// applied) into *out, which takes the image's natural size; the result is opaque, transparent
// pixels showing the view's background as in a PNG. On any other outcome *out is left
// untouched. Never opens anything but a regular file, so a named pipe cannot hang the caller.
Outcome decode(const QString& path, QImage* out);

// As Decode, but a JPEG shown stretched into a view of `coverView` may be decoded reduced: at
// the largest of the decoder's own scales 1/2, 1/4, 1/8 whose result still covers the stretched
// rectangle, so no pixel on screen is lost. Other formats, an invalid `coverView`, or a scale
// that would not cover give the full image. *naturalSize receives the image's natural size
// (orientation applied) whenever the outcome is Decoded; *out may then be smaller than it.
Outcome decode(const QString& path, QImage* out, const QSize& coverView, QSize* naturalSize);

// The size, in the file's stored orientation, to decode a JPEG of `stored` pixels at for a view
// of `coverView`: stored / 2, 4 or 8 (rounded up, as the decoder rounds), the smallest that
// still covers the stretched rectangle; `stored` itself when none does. `rotated`: the image is
// shown turned by 90 degrees (EXIF orientation 5 to 8).
QSize reducedSize(const QSize& stored, bool rotated, const QSize& coverView);

}  // namespace PictureDecoder
