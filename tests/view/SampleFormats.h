#pragma once
// Picture files in the formats beyond bitmap, JPEG and GIF, made with the libraries themselves
// (libheif's encoders, libjpeg) or by hand (a minimal DNG, cameras' RAW files), for the tests,
// the fuzzers' seeds and the benchmark. Nothing is downloaded.

#include <QByteArray>
#include <QImage>

namespace SampleFormats {

// `image` saved by Qt's writer for `format` ("jpeg", "webp") at `quality`; empty on failure.
QByteArray encoded(const QImage& image, const char* format, int quality = 90);

enum class HeifCodec { Hevc, Av1 };

// `image` encoded as HEIC (HEVC) or AVIF (AV1), its alpha (if it has one) as an auxiliary
// picture, with the container orientation `exifOrientation`
// (irot/imir boxes) and the ICC profile `icc` (a colr box) when not empty; lossless where the
// encoder offers it. Empty when the encoder is missing. `bt709Limited`: an nclx colr box says
// the samples are BT.709 in limited range (they are coded as BT.601, full range: a decoder
// that follows the box shows other colours than the source's).
QByteArray heif(const QImage& image, HeifCodec codec, int exifOrientation = 1,
                const QByteArray& icc = {}, int quality = 90, bool bt709Limited = false);

// A HEIC whose primary picture is a grid of `columns` x `rows` tiles as phones write them: each
// tile its own hidden item, here all `tile` (HEVC coded once), the grid exactly their whole.
QByteArray heifGrid(const QImage& tile, int columns, int rows);

// A DNG: the RAW's own preview `previewJpeg` in its first directory, its orientation tag
// `exifOrientation`, and a flat grey 16-bit CFA sensor picture of `sensorWidth` x `sensorHeight`.
QByteArray dng(const QByteArray& previewJpeg, int exifOrientation, int sensorWidth,
               int sensorHeight);

enum class CameraMake { Canon, Nikon, Sony };

// A camera's RAW file as that make writes it: a Canon CR2 (EOS 5D Mark II), a Nikon NEF (D700,
// uncompressed) or a Sony ARW (ILCE-7), with `previewJpeg` as its full-size preview, the
// orientation tag `exifOrientation`, a small plain green thumbnail beside the preview where the
// make writes one, an EXIF directory and a flat grey sensor picture of 64 x 48.
QByteArray cameraRaw(CameraMake make, const QByteArray& previewJpeg, int exifOrientation);

// `jpeg` with the ICC profile `icc` in APP2 segments right after its start marker.
QByteArray jpegWithProfile(const QByteArray& jpeg, const QByteArray& icc);

// A CMYK JPEG of `w` x `h` in one ink mix (0 to 255 each), with Adobe's marker (inks stored
// inverted) as libjpeg writes it, and `icc` embedded.
QByteArray cmykJpeg(int w, int h, const unsigned char inks[4], const QByteArray& icc);

// A CMYK TIFF of `w` x `h` in one ink mix (0 to 255 each, 0: no ink), of 8 or 16-bit inks,
// interleaved or one plane each (`planar`), in strips or in square tiles of `tile` pixels, with
// `icc` embedded when not empty.
QByteArray cmykTiff(int w, int h, const unsigned char inks[4], const QByteArray& icc, int bits = 8,
                    bool planar = false, int tile = 0);

// The WebP file `webp` with an EXIF chunk recording the orientation `exifOrientation`.
QByteArray webpWithExif(const QByteArray& webp, int exifOrientation);

// A CMYK output profile whose inks are those of a press: pure cyan shows as sRGB (0, 174, 239),
// magenta as (236, 0, 140), yellow as (255, 242, 0), black as (35, 31, 32), mixed by
// multiplication; table based, so a matrix-only reader cannot use it.
QByteArray pressProfile();

// ProPhoto, Adobe RGB (1998) and Display P3 profiles from their published primaries.
QByteArray proPhotoProfile();
QByteArray adobeRgbProfile();
QByteArray displayP3Profile();

}  // namespace SampleFormats
