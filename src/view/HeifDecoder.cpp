#include "HeifDecoder.h"

#include <libheif/heif.h>

#include <memory>

#include "ColourProfile.h"
#include "OtherFormats.h"

using PictureDecoder::Outcome;

namespace HeifDecoder {
namespace {

// Neither side of a picture may pass this (libheif's own default is far larger).
constexpr int kMaxSide = 65535;

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};

// The decoder's peak for a picture of `w` x `h`: the coded planes (three full planes at worst,
// two bytes a sample beyond 8 bits, plus alpha), the interleaved pixels libheif converts them
// into, and the picture built from those.
int64_t peakBytes(int w, int h, int bits, bool alpha) {
    const int64_t pixels = int64_t(w) * h;
    const int64_t sample = bits > 8 ? 2 : 1;
    return pixels * (sample * (alpha ? 4 : 3) + 4 + 4);
}

// The colr box: an ICC profile, or primaries and a transfer curve (nclx) other than sRGB's.
QByteArray profileOf(const heif_image_handle* handle) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), '\0');
        if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code)
            return {};
        return icc;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        // libheif may hand over the profile together with an error (found by fuzzing).
        const bool read = !heif_image_handle_get_nclx_color_profile(handle, &nclx).code;
        if (!read || !nclx) {
            heif_nclx_color_profile_free(nclx);
            return {};
        }
        QByteArray icc;
        const int primaries = nclx->color_primaries;
        const int transfer = nclx->transfer_characteristics;
        // BT.709 (sRGB's primaries) or unspecified: shown as they are. PQ and HLG are left
        // alone too: they need tone mapping, not a profile.
        const bool sdrCurve = transfer == 1 || transfer == 2 || transfer == 6 ||
                              transfer == 13 || transfer == 14 || transfer == 15;
        if (primaries != 1 && primaries != 2 && sdrCurve) {
            const double xy[6] = {nclx->color_primary_red_x,   nclx->color_primary_red_y,
                                  nclx->color_primary_green_x, nclx->color_primary_green_y,
                                  nclx->color_primary_blue_x,  nclx->color_primary_blue_y};
            const double white[2] = {nclx->color_primary_white_x, nclx->color_primary_white_y};
            icc = ColourProfile::rgbProfile(xy, white, true, 0);
        }
        heif_nclx_color_profile_free(nclx);
        return icc;
    }
    default:
        return {};
    }
}

void releaseImage(void* image) { heif_image_release(static_cast<heif_image*>(image)); }

}  // namespace

bool recognises(const QByteArray& head) {
    return heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()),
                               int(head.size())) == heif_filetype_yes_supported;
}

Outcome decode(const QByteArray& bytes, const QSize& coverView, QImage* out, QSize* natural) {
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) return Outcome::Broken;
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    if (heif_context_read_from_memory_without_copy(context.get(), bytes.constData(),
                                                   size_t(bytes.size()), nullptr).code)
        return Outcome::NotAPicture;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code || !rawHandle)
        return Outcome::Broken;
    std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);

    // The size with the container's turns applied, which libheif applies when decoding.
    const int w = heif_image_handle_get_width(handle.get());
    const int h = heif_image_handle_get_height(handle.get());
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return Outcome::Broken;
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(handle.get()),
                              heif_image_handle_get_chroma_bits_per_pixel(handle.get()));
    if (peakBytes(w, h, bits, alpha) > int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024)
        return Outcome::TooLarge;

    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        handle.get(), &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
    if (error.code || !decoded) return Outcome::Broken;
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int dw = heif_image_get_width(decoded, heif_channel_interleaved);
    const int dh = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!plane || dw <= 0 || dh <= 0) {
        heif_image_release(decoded);
        return Outcome::Broken;
    }
    // The pixels stay libheif's until the first conversion copies them.
    const QImage wrapped(plane, dw, dh, stride,
                         alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888, releaseImage,
                         decoded);
    QImage image = OtherFormats::reducedForView(wrapped, coverView);
    if (image.isNull()) return Outcome::Broken;
    const QByteArray icc = profileOf(handle.get());
    OtherFormats::toSrgbForView(&image, icc, QSize(dw, dh), coverView);
    image = OtherFormats::flattened(std::move(image));
    if (image.isNull()) return Outcome::Broken;
    *natural = QSize(dw, dh);
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace HeifDecoder
