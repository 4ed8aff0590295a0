#pragma once
// The formats beyond bitmap, JPEG and GIF: which decoder a file goes to, and what the decoders
// share (reduction for the view, the opaque result, embedded colour profiles).

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

#include "view/PictureDecoder.h"

class QIODevice;

namespace OtherFormats {

// The endings (any case) whose files may hold WebP, TIFF, HEIF or RAW pictures: the rest are
// decoded exactly as before, bitmap, JPEG and GIF by content.
bool isOtherEnding(const QString& path);
bool isRawEnding(const QString& path);

// For a file whose name has one of the other endings: decodes a still WebP or a HEIF file (told
// by content), a RAW file (told by its ending) or a CMYK TIFF held in `file`. nullopt when it is
// none of them (or an animated WebP), for Qt's readers.
std::optional<PictureDecoder::Outcome> decode(QIODevice* file, const QString& path,
                                              const QSize& coverView, QImage* out,
                                              QSize* natural);

// Whether Qt's reader may decode a file of `format` (as it reads from the content) named `path`:
// bitmap, JPEG and GIF always; WebP and TIFF for the other endings.
bool readerAccepts(const QByteArray& format, const QString& path);

// `image` as 32-bit pixels (RGB32, ARGB32 with alpha), scaled smoothly down to the size a JPEG
// of its size would be decoded at for `coverView` (PictureDecoder::reducedSize); not scaled for
// an invalid `coverView`. Null when memory runs out.
QImage reducedForView(const QImage& image, const QSize& coverView);

// `image` opaque: transparent pixels show the view's background.
QImage flattened(QImage image);

// A CMYK JPEG with a CMYK profile (`icc`) read from `file`, decoded at `size` (its full size or
// one of the decoder's reductions) and converted to sRGB through the profile; not turned.
// Qt's reader would take the inks as plain RGB. A null image on failure.
QImage decodeCmykJpeg(QIODevice* file, const QSize& size, const QByteArray& icc);

// A CMYK TIFF in `file` (8 or 16-bit inks in strips), reduced for `coverView` as a JPEG would
// be, turned by its orientation tag and converted to sRGB through its profile, or the system's
// press profile when it has none. nullopt when the file is no such TIFF, or there is no profile
// to take its inks through: Qt's reader takes it then.
std::optional<PictureDecoder::Outcome> decodeCmykTiff(QIODevice* file, const QSize& coverView,
                                                      QImage* out, QSize* natural);

// Converts `image`, decoded for `coverView` and shown at `natural` size, from `icc` to sRGB. One
// larger than the rectangle it is stretched into there is first scaled to that rectangle, as
// the view scales it, so the conversion costs by the pixel shown rather than by the pixel
// decoded. An empty `icc` leaves it exactly as decoded.
void toSrgbForView(QImage* image, const QByteArray& icc, const QSize& natural, const QSize& coverView);

// Converts a decoded picture to sRGB from the profile the file in `file` carries; a picture
// without one, or with one that does not describe its pixels, is left exactly as decoded.
void convertFromEmbeddedProfile(QIODevice* file, QImage* image);

}  // namespace OtherFormats
