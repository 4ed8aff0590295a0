#include "view/PictureDecoder.h"

#include <QByteArray>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

#include "view/ColourProfile.h"
#include "view/EmbeddedProfile.h"
#include "view/JpegHeader.h"
#include "view/OtherFormats.h"
#include "view/PictureFile.h"
#include "view/PictureOrientation.h"
#include "view/PngPlugin.h"
#include "view/ViewGeometry.h"

namespace PictureDecoder {

QSize reducedSize(const QSize& stored, bool rotated, const QSize& coverView) {
    if (!stored.isValid() || !coverView.isValid() || stored.isEmpty()) return stored;
    const QSize natural = rotated ? stored.transposed() : stored;
    const std::optional<QSize> dest = ViewGeometry::stretchSize(natural.width(), natural.height(),
                                                            coverView.width(), coverView.height());
    if (!dest) return stored;
    for (int d : {8, 4, 2}) {
        const QSize reduced((stored.width() + d - 1) / d, (stored.height() + d - 1) / d);
        const QSize shown = rotated ? reduced.transposed() : reduced;
        if (shown.width() >= dest->width() && shown.height() >= dest->height()) return reduced;
    }
    return stored;
}

namespace {

// The peak memory of a decode (see kAllocationLimitMB); `size` in the stored orientation.
int64_t peakBytes(const QSize& size, const QByteArray& format, bool rotated,
                  int64_t decoderWorkingBytes) {
    const int64_t pixels = int64_t(size.width()) * size.height() * 4;
    if (format != "jpeg") return 2 * pixels;
    // The decoder's coefficients are freed when it finishes, before the picture is turned.
    return pixels + std::max<int64_t>({decoderWorkingBytes, rotated ? pixels : 0, 0});
}

}  // namespace

Outcome decode(const QString& path, QImage* out) {
    QSize natural;
    return decode(path, out, QSize(), &natural);
}

Outcome decode(const QString& path, QImage* out, const QSize& coverView, QSize* naturalSize) {
    QFile file;
    if (!PictureFile::open(path, &file)) return Outcome::NotAFile;
    if (file.size() == 0) return Outcome::NotAPicture;
    // HEIF and RAW files go to their own decoders; WebP and TIFF to Qt's readers below.
    if (const std::optional<Outcome> other =
            OtherFormats::decode(&file, path, coverView, out, naturalSize))
        return *other;
    const QByteArray icc = EmbeddedProfile::read(&file);
    if (!file.seek(0)) return Outcome::NotAPicture;
    // Read from the file's start before the reader takes it over; anything but a JPEG is told
    // from its first two bytes.
    const int64_t jpegWorking = JpegHeader::workingBytes(&file);
    if (!file.seek(0)) return Outcome::NotAPicture;

    // The reader refuses larger allocations itself; the size check below says why first.
    QImageReader::setAllocationLimit(kAllocationLimitMB);
    QImageReader reader(&file);
    // The name's ending does not decide: a bitmap, JPEG or GIF file is what its bytes say.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (!OtherFormats::readerAccepts(format, path)) return Outcome::NotAPicture;

    const QSize size = reader.size();
    const bool rotated = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    if (size.isValid()) {
        // Counted at full size whatever the view, so a file decodes in every mode or in none.
        const int64_t working = format == "jpeg" ? jpegWorking : 0;
        if (peakBytes(size, format, rotated, working) > int64_t(kAllocationLimitMB) * 1024 * 1024)
            return Outcome::TooLarge;
    }
    bool reducing = false;
    if (format == "jpeg" && size.isValid() && coverView.isValid()) {
        const QSize reduced = reducedSize(size, rotated, coverView);
        // The decoder reaches these sizes by its own DCT scaling, far cheaper than a full
        // decode followed by a reduction.
        if (reduced != size) {
            reader.setScaledSize(reduced);
            reducing = true;
        }
    }
    QImage image;
    QSize natural = reducing ? (rotated ? size.transposed() : size) : QSize();
    if (format == "jpeg" && ColourProfile::spaceOf(icc) == ColourProfile::Space::Cmyk) {
        image = PictureOrientation::oriented(
            OtherFormats::decodeCmykJpeg(&file, reducing ? reader.scaledSize() : size, icc),
            reader.transformation());
        if (image.isNull()) return Outcome::Broken;
    } else {
        if (!reader.read(&image) || image.isNull()) {
            return reader.error() == QImageReader::UnsupportedFormatError ? Outcome::NotAPicture
                                                                          : Outcome::Broken;
        }
        if (format == "webp" || format == "tiff") {
            // Their readers decode at full size only: held reduced, as a JPEG would be.
            natural = image.size();
            image = OtherFormats::reducedForView(image, coverView);
            if (image.isNull()) return Outcome::Broken;
        }
        // On the picture as it is shown: the conversion costs by the pixel.
        OtherFormats::toSrgbForView(&image, icc, natural.isValid() ? natural : image.size(),
                                    coverView);
    }
    if (image.hasAlphaChannel()) {
        // Transparent pixels show the view's background, as a PNG's do: the picture is opaque,
        // so drawing it over the view (a slide, a resize) is a plain copy and nothing drawn
        // there before shows through.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(QColor::fromRgb(PngPlugin::kBackground));
        QPainter(&flat).drawImage(0, 0, image);
        image = std::move(flat);
    }
    *naturalSize = natural.isValid() ? natural : image.size();
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace PictureDecoder
