#include "view/WebpDecoder.h"

#include <webp/decode.h>

using PictureDecoder::Outcome;

namespace WebpDecoder {

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

    const QSize reduced = PictureDecoder::reducedSize(full, false, coverView);
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
    *natural = full;
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace WebpDecoder
