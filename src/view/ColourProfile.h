#pragma once
// Converting decoded pictures from the colour profile they carry to sRGB, which is what the
// screen is taken to show. lcms2 reads every kind of ICC profile (matrix and table based, RGB,
// grey and CMYK); Qt's colour spaces read matrix RGB profiles only, but apply those faster, so
// they take the RGB profiles made of primaries and tone curves alone.

#include <QByteArray>
#include <QImage>

namespace ColourProfile {

enum class Space { Unusable, Rgb, Grey, Cmyk };

// What the pixels described by `icc` are; Unusable when lcms2 cannot read it.
Space spaceOf(const QByteArray& icc);

// Converts *image from `icc` to sRGB in place. An RGB profile takes any image (turned into
// RGB32, or ARGB32 when it has alpha, which is kept as is); a grey profile takes a Grayscale8
// image and leaves RGB32. False, with *image untouched, when the profile is unusable or does
// not describe the image's pixels. Safe on any thread; transforms are kept for reuse.
bool toSrgb(QImage* image, const QByteArray& icc);

// Converts rows of C, M, Y, K bytes (`inverted`: stored as 255 - ink, as Adobe's files do) in
// the profile `icc` into an RGB32 image of `width` x `height`; a null image when the profile is
// not a usable CMYK one.
QImage cmykToSrgb(const uchar* rows, int width, int height, qsizetype bytesPerLine, bool inverted,
                  const QByteArray& icc);

// A profile for RGB primaries and white given as CIE xy chromaticities, with the sRGB tone curve
// (`srgbCurve`) or a pure gamma; for pictures whose container names primaries instead of
// carrying a profile, and for tests. Empty on failure.
QByteArray rgbProfile(const double primaries[6], const double white[2], bool srgbCurve,
                      double gamma);

}  // namespace ColourProfile
