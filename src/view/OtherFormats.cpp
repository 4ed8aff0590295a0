#include "view/OtherFormats.h"

#include <QIODevice>
#include <QPainter>

#include <malloc.h>

#include <algorithm>
#include <vector>

#include "view/ColourProfile.h"
#include "view/EmbeddedProfile.h"
#include "view/HeifDecoder.h"
#include "platform/ImageNames.h"
#include "view/PngPlugin.h"
#include "view/RawDecoder.h"
#include "view/ViewGeometry.h"
#include "view/WebpDecoder.h"

namespace OtherFormats {
namespace {

// Each pixel of `size` the mean of the d x d pixels of `image` (RGB888 or RGBA8888) it covers,
// as 32-bit pixels: one pass over the decoder's bytes, where a smooth scaling would first
// convert all of them.
QImage boxReduced(const QImage& image, int d, const QSize& size) {
    const bool alpha = image.format() == QImage::Format_RGBA8888;
    QImage out(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull()) return out;
    const int channels = alpha ? 4 : 3;
    std::vector<uint32_t> sums(size_t(size.width()) * 4);
    std::vector<uint32_t> counts(size_t(size.width()));
    // The output column of each input column, clamped for the last, partial block.
    std::vector<int> column(size_t(image.width()));
    for (int x = 0; x < image.width(); ++x) column[size_t(x)] = std::min(x / d, size.width() - 1);
    for (int oy = 0; oy < size.height(); ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        const int yEnd = std::min(image.height(), (oy + 1) * d);
        for (int y = oy * d; y < yEnd; ++y) {
            const uchar* in = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x, in += channels) {
                const size_t o = size_t(column[size_t(x)]);
                uint32_t* sum = &sums[o * 4];
                sum[0] += in[0];
                sum[1] += in[1];
                sum[2] += in[2];
                sum[3] += alpha ? in[3] : 255;
                ++counts[o];
            }
        }
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(oy));
        for (int ox = 0; ox < size.width(); ++ox) {
            const uint32_t n = std::max<uint32_t>(1, counts[size_t(ox)]);
            const uint32_t* sum = &sums[size_t(ox) * 4];
            line[ox] = qRgba(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n),
                             int((sum[2] + n / 2) / n), int((sum[3] + n / 2) / n));
        }
    }
    return out;
}

// A still WebP picture by libwebp, reduced as it decodes; nullopt for Qt's reader.
std::optional<PictureDecoder::Outcome> decodeWebp(QIODevice* file, const QSize& coverView,
                                                  QImage* out, QSize* natural) {
    // A RIFF chunk's size is 32 bits: a larger file is not one WebP picture.
    if (file->size() > int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024)
        return PictureDecoder::Outcome::TooLarge;
    const QByteArray bytes = file->readAll();
    if (bytes.size() != file->size()) return PictureDecoder::Outcome::Broken;
    QImage image;
    QSize size;
    const std::optional<PictureDecoder::Outcome> o = WebpDecoder::decode(bytes, coverView, &image, &size);
    if (o != PictureDecoder::Outcome::Decoded) return o;
    // On the picture as it is shown: the conversion costs by the pixel.
    toSrgbForView(&image, EmbeddedProfile::read(file), size, coverView);
    image = flattened(std::move(image));
    if (image.isNull()) return PictureDecoder::Outcome::Broken;
    *natural = size;
    *out = std::move(image);
    return o;
}

}  // namespace

bool isRawEnding(const QString& path) { return ImageNames::formatOf(path) == ImageFormat::Raw; }

bool isOtherEnding(const QString& path) { return ImageNames::hasExtendedEnding(path); }

std::optional<PictureDecoder::Outcome> decode(QIODevice* file, const QString& path,
                                              const QSize& coverView, QImage* out,
                                              QSize* natural) {
    if (!isOtherEnding(path)) return std::nullopt;
    const QByteArray head = file->peek(64);
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return decodeWebp(file, coverView, out, natural);
    const bool heif = HeifDecoder::recognises(head);
    const bool raw = !heif && isRawEnding(path);
    if (raw) return RawDecoder::decode(file, coverView, out, natural);
    if (!heif) return decodeCmykTiff(file, coverView, out, natural);
    // A HEIF file larger than the bound is not a picture to show.
    if (file->size() > int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024)
        return PictureDecoder::Outcome::TooLarge;
    const PictureDecoder::Outcome outcome = HeifDecoder::decode(file, coverView, out, natural);
    // libheif and its codec leave their working memory (some 60 MB for a 12 MP picture) freed
    // in the decoding thread's heap, which keeps it from every other thread: handed back now,
    // it does not add to what the others decode.
    malloc_trim(0);
    return outcome;
}

bool readerAccepts(const QByteArray& format, const QString& path) {
    if (format == "bmp" || format == "jpeg" || format == "gif") return true;
    return (format == "webp" || format == "tiff") && isOtherEnding(path);
}

QImage reducedForView(const QImage& image, const QSize& coverView) {
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QSize reduced = PictureDecoder::reducedSize(image.size(), false, coverView);
    if (reduced == image.size()) return image.format() == wanted ? image : image.convertToFormat(wanted);
    if (image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_RGBA8888) {
        for (int d : {2, 4, 8})
            if ((image.width() + d - 1) / d == reduced.width() &&
                (image.height() + d - 1) / d == reduced.height())
                return boxReduced(image, d, reduced);
    }
    QImage scaled = image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.format() == wanted ? scaled : scaled.convertToFormat(wanted);
}

QImage flattened(QImage image) {
    if (!image.hasAlphaChannel()) return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull()) return flat;
    flat.fill(QColor::fromRgb(PngPlugin::kBackground));
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

void toSrgbForView(QImage* image, const QByteArray& icc, const QSize& natural, const QSize& coverView) {
    if (icc.isEmpty() || image->isNull()) return;
    const std::optional<QSize> dest =
        coverView.isValid() ? ViewGeometry::stretchSize(natural.width(), natural.height(),
                                                        coverView.width(), coverView.height())
                            : std::nullopt;
    // Only for an RGB profile: a grey picture scaled would be RGB already, which its grey
    // profile no longer describes, and one left unconverted stays exactly as decoded.
    if (dest && !dest->isEmpty() && dest->width() <= image->width() &&
        dest->height() <= image->height() && *dest != image->size() &&
        ColourProfile::spaceOf(icc) == ColourProfile::Space::Rgb) {
        QImage shown = image->scaled(*dest, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (shown.isNull()) return;
        *image = std::move(shown);
    }
    ColourProfile::toSrgb(image, icc);
}

void convertFromEmbeddedProfile(QIODevice* file, QImage* image) {
    const QByteArray icc = EmbeddedProfile::read(file);
    if (!icc.isEmpty()) ColourProfile::toSrgb(image, icc);
}

}  // namespace OtherFormats
