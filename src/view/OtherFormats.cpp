#include "OtherFormats.h"

#include <QFileInfo>
#include <QIODevice>
#include <QPainter>

#include "ColourProfile.h"
#include "EmbeddedProfile.h"
#include "HeifDecoder.h"
#include "PngPlugin.h"
#include "RawDecoder.h"

namespace OtherFormats {
namespace {

QString endingOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

const QStringList& rawEndings() {
    static const QStringList endings = {
        QStringLiteral("dng"), QStringLiteral("cr2"), QStringLiteral("cr3"), QStringLiteral("nef"),
        QStringLiteral("nrw"), QStringLiteral("arw"), QStringLiteral("srf"), QStringLiteral("sr2"),
        QStringLiteral("raf"), QStringLiteral("orf"), QStringLiteral("rw2"), QStringLiteral("pef"),
        QStringLiteral("srw"), QStringLiteral("x3f")};
    return endings;
}

const QStringList& pictureEndings() {
    static const QStringList endings = {
        QStringLiteral("jpeg"), QStringLiteral("jpe"),  QStringLiteral("jfif"),
        QStringLiteral("webp"), QStringLiteral("tif"),  QStringLiteral("tiff"),
        QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("avif")};
    return endings;
}

}  // namespace

bool isRawEnding(const QString& path) { return rawEndings().contains(endingOf(path)); }

bool isOtherEnding(const QString& path) {
    const QString ending = endingOf(path);
    return pictureEndings().contains(ending) || rawEndings().contains(ending);
}

std::optional<PictureDecoder::Outcome> decode(QIODevice* file, const QString& path,
                                              const QSize& coverView, QImage* out,
                                              QSize* natural) {
    if (!isOtherEnding(path)) return std::nullopt;
    const bool heif = HeifDecoder::recognises(file->peek(64));
    const bool raw = !heif && isRawEnding(path);
    if (!heif && !raw) return std::nullopt;
    // The decoders take the whole file; a picture file larger than the bound is not one.
    if (file->size() > int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024)
        return PictureDecoder::Outcome::TooLarge;
    const QByteArray bytes = file->readAll();
    if (bytes.size() != file->size()) return PictureDecoder::Outcome::Broken;
    return heif ? HeifDecoder::decode(bytes, coverView, out, natural)
                : RawDecoder::decode(bytes, coverView, out, natural);
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

void convertFromEmbeddedProfile(QIODevice* file, QImage* image) {
    const QByteArray icc = EmbeddedProfile::read(file);
    if (!icc.isEmpty()) ColourProfile::toSrgb(image, icc);
}

}  // namespace OtherFormats
