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

// The first picture's inks summed by output pixel, each the d x d stored pixels it covers, as
// they are read (whole rows from strips, parts of rows from tiles).
class InkSums {
public:
    InkSums(int bits, int samples, bool planar, int d, const QSize& reduced)
        : step_(bits / 8), samples_(samples), planar_(planar), d_(d), reduced_(reduced),
          // At most 8 x 8 values of 255 each: a sum fits in 16 bits.
          sums_(size_t(reduced.width()) * reduced.height() * 4, 0) {}

    // Bytes one stored pixel takes in a row of `plane` (any plane for interleaved inks).
    int pixelBytes() const { return (planar_ ? 1 : samples_) * step_; }

    // Adds the `count` stored pixels in `values`, from column `x` of row `y`, of `plane`.
    void addRow(const uint8_t* values, int x, int y, int count, int plane) {
        uint16_t* row = sums_.data() + size_t(y / d_) * reduced_.width() * 4;
        for (int i = 0; i < count; ++i) {
            uint16_t* sum = row + size_t((x + i) / d_) * 4;
            for (int c = planar_ ? plane : 0; c < (planar_ ? plane + 1 : 4); ++c) {
                const uint8_t* value = values + size_t(planar_ ? i : i * samples_ + c) * step_;
                // 16-bit samples are in the machine's order once libtiff has read them.
                uint16_t wide = 0;
                if (step_ == 2) std::memcpy(&wide, value, 2);
                sum[c] += step_ == 1 ? *value : uint16_t(wide >> 8);
            }
        }
    }

    // The means, 4 bytes a pixel (0: no ink) of the reduced picture, of a `width` x `height` one.
    void writeMeans(int width, int height, QByteArray* inks) const {
        uint8_t* out = reinterpret_cast<uint8_t*>(inks->data());
        for (int oy = 0; oy < reduced_.height(); ++oy) {
            const int rows = std::min(d_, height - oy * d_);
            for (int ox = 0; ox < reduced_.width(); ++ox) {
                const uint32_t n = uint32_t(rows * std::min(d_, width - ox * d_));
                const size_t at = (size_t(oy) * reduced_.width() + size_t(ox)) * 4;
                for (int c = 0; c < 4; ++c) out[at + size_t(c)] = uint8_t((sums_[at + size_t(c)] + n / 2) / n);
            }
        }
    }

private:
    int step_, samples_;
    bool planar_;
    int d_;
    QSize reduced_;
    std::vector<uint16_t> sums_;
};

// Rows are read in order, plane after plane where the inks are stored apart, as compressed
// strips must be. False on a read error.
bool readStrips(TIFF* tiff, int width, int height, bool planar, InkSums* sums) {
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    if (lineBytes <= 0 || lineBytes < tmsize_t(width) * sums->pixelBytes()) return false;
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    for (int plane = 0; plane < (planar ? 4 : 1); ++plane) {
        for (int y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, line.data(), uint32_t(y), uint16_t(plane)) < 0) return false;
            sums->addRow(line.data(), 0, y, width, plane);
        }
    }
    return true;
}

// Each tile of `tileSize` read whole, its rows inside the picture summed. False on a read error.
bool readTiles(TIFF* tiff, int width, int height, bool planar, const QSize& tileSize, InkSums* sums) {
    const tmsize_t rowBytes = TIFFTileRowSize(tiff);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    if (rowBytes < tmsize_t(tileSize.width()) * sums->pixelBytes() ||
        tileBytes < rowBytes * tileSize.height())
        return false;
    std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
    for (int plane = 0; plane < (planar ? 4 : 1); ++plane) {
        for (int y = 0; y < height; y += tileSize.height()) {
            for (int x = 0; x < width; x += tileSize.width()) {
                if (TIFFReadTile(tiff, tile.data(), uint32_t(x), uint32_t(y), 0, uint16_t(plane)) < 0)
                    return false;
                const int rows = std::min(tileSize.height(), height - y);
                const int columns = std::min(tileSize.width(), width - x);
                for (int r = 0; r < rows; ++r)
                    sums->addRow(tile.data() + size_t(r) * size_t(rowBytes), x, y + r, columns, plane);
            }
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
    if (inkSet != INKSET_CMYK || samples < 4 || (bits != 8 && bits != 16)) return std::nullopt;
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
    // Tiles are read whole, at the size the file claims for them.
    const bool tiled = TIFFIsTiled(tiff.get()) != 0;
    uint32_t tileWidth = 0, tileHeight = 0;
    if (tiled && (!TIFFGetField(tiff.get(), TIFFTAG_TILEWIDTH, &tileWidth) ||
                  !TIFFGetField(tiff.get(), TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 ||
                  tileHeight == 0 || tileWidth > (1u << 20) || tileHeight > (1u << 20)))
        return Outcome::Broken;
    const int64_t readBytes = tiled ? int64_t(tileWidth) * tileHeight * samples * 2
                                    : int64_t(width) * samples * 2;
    // Their sums, the inks and the picture made of them, plus one stored line or tile; a
    // picture that claims more is refused before anything is allocated.
    const int64_t pixels = int64_t(reduced.width()) * reduced.height();
    if (pixels * 16 + readBytes > kLimitBytes) return Outcome::TooLarge;
    const bool separate = planar == PLANARCONFIG_SEPARATE;
    InkSums sums(bits, samples, separate, d, reduced);
    if (tiled ? !readTiles(tiff.get(), int(width), int(height), separate,
                           QSize(int(tileWidth), int(tileHeight)), &sums)
              : !readStrips(tiff.get(), int(width), int(height), separate, &sums))
        return Outcome::Broken;
    QByteArray inks;
    inks.resize(qsizetype(pixels) * 4);
    sums.writeMeans(int(width), int(height), &inks);
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
