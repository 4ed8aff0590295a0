// OtherFormats::decodeCmykTiff: libtiff hands over the inks, lcms2 turns them into sRGB. Qt's
// reader would take them through libtiff's RGBA interface, which knows no profile (and no
// 16-bit inks).
#include <QFile>
#include <QIODevice>

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include "view/ColourProfile.h"
#include "view/EmbeddedProfile.h"
#include "view/OtherFormats.h"
#include "view/PictureOrientation.h"

namespace OtherFormats {
namespace {

using Outcome = PictureDecoder::Outcome;

constexpr int64_t kLimitBytes = int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024;

// libtiff reads through the opened file, which stays the caller's.
tmsize_t readFrom(thandle_t handle, void* buffer, tmsize_t size) {
    return tmsize_t(static_cast<QIODevice*>(handle)->read(static_cast<char*>(buffer), size));
}
tmsize_t writeNothing(thandle_t, void*, tmsize_t) { return 0; }
toff_t seekIn(thandle_t handle, toff_t offset, int whence) {
    QIODevice* device = static_cast<QIODevice*>(handle);
    const int64_t delta = int64_t(offset);
    const int64_t base = whence == SEEK_CUR ? device->pos() : whence == SEEK_END ? device->size() : 0;
    // Nothing lies past the end for a picture to be read from.
    if ((whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) || base + delta < 0 ||
        base + delta > device->size() || !device->seek(base + delta))
        return toff_t(-1);
    return toff_t(base + delta);
}
int closeNothing(thandle_t) { return 0; }
toff_t sizeOf(thandle_t handle) { return toff_t(static_cast<QIODevice*>(handle)->size()); }
int mapNothing(thandle_t, void**, toff_t*) { return 0; }
void unmapNothing(thandle_t, void*, toff_t) {}
// A broken file fails as the outcome says; nothing is printed.
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr openTiff(QIODevice* file) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kLimitBytes / 4));
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    // "m": never mapped, every byte read through the file.
    TIFF* tiff = TIFFClientOpenExt("picture", "rm", file, readFrom, writeNothing, seekIn,
                                   closeNothing, sizeOf, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    return TiffPtr(tiff);
}

// A profile for inks that come without one: the press profile the system has, if any. Without
// it the file goes to Qt's reader, which shows the inks as it always did.
const QByteArray& defaultCmykProfile() {
    static const QByteArray profile = [] {
        QFile file(QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc"));
        if (!file.open(QIODevice::ReadOnly) || file.size() > EmbeddedProfile::kMaxProfileBytes)
            return QByteArray();
        const QByteArray bytes = file.readAll();
        return ColourProfile::spaceOf(bytes) == ColourProfile::Space::Cmyk ? bytes : QByteArray();
    }();
    return profile;
}

// The first picture's inks, each output pixel the mean of the d x d stored pixels it covers,
// as 4 bytes a pixel (0: no ink) of `reduced`. Rows are read in order, plane after plane where
// the inks are stored apart, as compressed strips must be. False on a read error.
bool readInks(TIFF* tiff, int width, int height, int bits, int samples, bool planar, int d,
              const QSize& reduced, QByteArray* inks) {
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    if (lineBytes <= 0 || lineBytes < tmsize_t(width) * (planar ? 1 : samples) * (bits / 8))
        return false;
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    // At most 8 x 8 values of 255 each: a sum fits in 16 bits.
    std::vector<uint16_t> sums(size_t(reduced.width()) * reduced.height() * 4, 0);
    const int step = bits / 8;
    for (int plane = 0; plane < (planar ? 4 : 1); ++plane) {
        for (int y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, line.data(), uint32_t(y), uint16_t(plane)) < 0) return false;
            uint16_t* row = sums.data() + size_t(y / d) * reduced.width() * 4;
            for (int x = 0; x < width; ++x) {
                uint16_t* sum = row + size_t(x / d) * 4;
                for (int c = planar ? plane : 0; c < (planar ? plane + 1 : 4); ++c) {
                    const uint8_t* value = line.data() + size_t(planar ? x : x * samples + c) * step;
                    // 16-bit samples are in the machine's order once libtiff has read them.
                    uint16_t wide = 0;
                    if (bits == 16) std::memcpy(&wide, value, 2);
                    sum[c] += bits == 8 ? *value : uint16_t(wide >> 8);
                }
            }
        }
    }
    uint8_t* out = reinterpret_cast<uint8_t*>(inks->data());
    for (int oy = 0; oy < reduced.height(); ++oy) {
        const int rows = std::min(d, height - oy * d);
        for (int ox = 0; ox < reduced.width(); ++ox) {
            const uint32_t n = uint32_t(rows * std::min(d, width - ox * d));
            const size_t at = (size_t(oy) * reduced.width() + size_t(ox)) * 4;
            for (int c = 0; c < 4; ++c) out[at + size_t(c)] = uint8_t((sums[at + size_t(c)] + n / 2) / n);
        }
    }
    return true;
}

}  // namespace

std::optional<Outcome> decodeCmykTiff(QIODevice* file, const QSize& coverView, QImage* out,
                                      QSize* natural) {
    const QByteArray magic = file->peek(4);
    if (magic != QByteArray("II*\0", 4) && magic != QByteArray("MM\0*", 4)) return std::nullopt;
    TiffPtr tiff = openTiff(file);
    if (!tiff) return std::nullopt;  // Qt's reader says what is wrong with it
    uint16_t photometric = 0, inkSet = INKSET_CMYK, samples = 0, bits = 0, planar = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric) ||
        photometric != PHOTOMETRIC_SEPARATED)
        return std::nullopt;
    TIFFGetField(tiff.get(), TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    if (inkSet != INKSET_CMYK || samples < 4 || (bits != 8 && bits != 16) || TIFFIsTiled(tiff.get()))
        return std::nullopt;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > (1u << 20) || height > (1u << 20))
        return Outcome::Broken;
    // The embedded profile, else the system's press profile; with neither, Qt's reader.
    uint32_t iccBytes = 0;
    const void* iccData = nullptr;
    QByteArray icc;
    if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &iccBytes, &iccData) && iccData &&
        iccBytes <= uint32_t(EmbeddedProfile::kMaxProfileBytes))
        icc = QByteArray(static_cast<const char*>(iccData), qsizetype(iccBytes));
    if (ColourProfile::spaceOf(icc) != ColourProfile::Space::Cmyk) icc = defaultCmykProfile();
    if (icc.isEmpty()) return std::nullopt;

    const QImageIOHandler::Transformations turn = PictureOrientation::fromExif(orientation);
    const bool rotated = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize stored{int(width), int(height)};
    const QSize reduced = PictureDecoder::reducedSize(stored, rotated, coverView);
    int d = 1;
    while (d < 8 && (stored.width() + d - 1) / d != reduced.width()) d *= 2;
    // Their sums, the inks and the picture made of them, plus one stored line; a picture that
    // claims more is refused before anything is allocated.
    const int64_t pixels = int64_t(reduced.width()) * reduced.height();
    if (pixels * 16 + int64_t(width) * samples * 2 > kLimitBytes) return Outcome::TooLarge;
    QByteArray inks;
    inks.resize(qsizetype(pixels) * 4);
    if (!readInks(tiff.get(), int(width), int(height), bits, samples, planar == PLANARCONFIG_SEPARATE,
                  d, reduced, &inks))
        return Outcome::Broken;
    QImage image = PictureOrientation::oriented(
        ColourProfile::cmykToSrgb(reinterpret_cast<const uchar*>(inks.constData()), reduced.width(),
                                  reduced.height(), qsizetype(reduced.width()) * 4, false, icc),
        turn);
    if (image.isNull()) return Outcome::Broken;
    *natural = rotated ? stored.transposed() : stored;
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace OtherFormats
