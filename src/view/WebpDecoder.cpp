#include "view/WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include "view/PictureOrientation.h"

using PictureDecoder::Outcome;

namespace WebpDecoder {
namespace {

// The orientation the EXIF chunk records, where the VP8X header announces one (a phone's
// picture is stored as the sensor was held); 1 otherwise.
int exifOrientationOf(const uint8_t* data, size_t size) {
    const WebPData webp{data, size};
    WebPDemuxer* demux = WebPDemux(&webp);
    if (!demux) return 1;
    int orientation = 1;
    WebPChunkIterator chunk;
    if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG) &&
        WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        orientation = PictureOrientation::fromExifBlock(chunk.chunk.bytes, chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return orientation;
}

}  // namespace

std::optional<Outcome> decode(const QByteArray& bytes, const QSize& coverView, QImage* out,
                              QSize* natural) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Outcome::Broken;
    if (WebPGetFeatures(data, size, &config.input) != VP8_STATUS_OK) return Outcome::NotAPicture;
    if (config.input.has_animation) return std::nullopt;
    const QSize full(config.input.width, config.input.height);
    if (full.isEmpty()) return Outcome::Broken;
    if (int64_t(full.width()) * full.height() * 4 * 2 >
        int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024)
        return Outcome::TooLarge;

    // Turned after decoding: the copy it is turned into counts with the picture in the bound
    // above, at most the reduced size.
    const QImageIOHandler::Transformations turn =
        PictureOrientation::fromExif(exifOrientationOf(data, size));
    const bool rotated = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize reduced = PictureDecoder::reducedSize(full, rotated, coverView);
    const bool alpha = config.input.has_alpha != 0;
    QImage image(reduced, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return Outcome::Broken;
    // Written straight into the picture, in its own byte order (an opaque one's alpha 255).
    config.output.colorspace = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = size_t(image.sizeInBytes());
    if (reduced != full) {
        config.options.use_scaling = 1;
        config.options.scaled_width = reduced.width();
        config.options.scaled_height = reduced.height();
    }
    const VP8StatusCode status = WebPDecode(data, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) return Outcome::Broken;
    image = PictureOrientation::oriented(std::move(image), turn);
    if (image.isNull()) return Outcome::Broken;
    *natural = rotated ? full.transposed() : full;
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace WebpDecoder
