#include "view/HeifDecoder.h"

#include <QIODevice>

#include <libheif/heif.h>

#include <memory>
#include <optional>

#include "view/ColourProfile.h"
#include "view/HeifBoxes.h"
#include "view/HeifPlanes.h"
#include "view/OtherFormats.h"

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

// libheif decodes this many tiles at once (its default, set so the bound below holds).
constexpr int kTilesAtOnce = 4;
// What a codec holds for each pixel of a picture it decodes (three full planes of two bytes a
// sample at worst, and its own data about each block), whatever the file's boxes say of bits.
constexpr int64_t kCodecBytesPerPixel = 8;
// More coded pictures than a panorama of small tiles has: each is a codec started anew.
constexpr int64_t kMaxCodedPictures = 4096;
constexpr int64_t kLimitBytes = int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024;

// The decoder's peak for a picture of `pixels`: the coded planes (three full planes at worst,
// two bytes a sample beyond 8 bits, plus alpha), the interleaved pixels libheif converts them
// into, and the picture built from those.
int64_t peakBytes(int64_t pixels, int bits, bool alpha) {
    const int64_t sample = bits > 8 ? 2 : 1;
    return pixels * (sample * (alpha ? 4 : 3) + 4 + 4);
}

// Whether decoding the picture would make libheif hold more than the bound: the picture put
// together, the tiles being decoded meanwhile, and all the coded pictures it decodes for it
// (a grid may name one tile thousands of times).
bool demandsTooMuch(const HeifBoxes::Demand& demand, int64_t handlePixels, int bits, bool alpha) {
    const int64_t canvas = std::max(handlePixels, demand.canvasPixels);
    const bool assembled = demand.codedPictures > 1 || demand.canvasPixels > demand.largestCodedPixels;
    const int64_t codecBytes = demand.largestCodedPixels * kCodecBytesPerPixel;
    const int64_t tilesBytes = assembled ? std::min<int64_t>(kTilesAtOnce, demand.codedPictures) * codecBytes : 0;
    return peakBytes(canvas, bits, alpha) + tilesBytes > kLimitBytes || codecBytes > kLimitBytes ||
           demand.codedPixels * kCodecBytesPerPixel > kLimitBytes ||
           demand.codedPictures > kMaxCodedPictures;
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

// Whether the picture's samples are coded as libheif hands Y'CbCr planes out (BT.601 full
// range, or no word on it). Others it would convert at full size into that coding first: those
// go through its RGB instead, one conversion rather than two.
bool codedAsLibheifDefault(const heif_image_handle* handle) {
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code || !nclx) {
        heif_nclx_color_profile_free(nclx);
        return true;
    }
    const int m = nclx->matrix_coefficients;
    const bool asDefault = (m == 2 || m == 5 || m == 6) && nclx->full_range_flag;
    heif_nclx_color_profile_free(nclx);
    return asDefault;
}

// libheif reads the open file through this as it needs it, rather than from a copy of all of it.
int64_t devicePosition(void* device) { return static_cast<QIODevice*>(device)->pos(); }
int deviceRead(void* data, size_t size, void* device) {
    if (size > size_t(INT64_MAX)) return 1;
    return static_cast<QIODevice*>(device)->read(static_cast<char*>(data), qint64(size)) ==
                   qint64(size) ? 0 : 1;
}
int deviceSeek(int64_t position, void* device) {
    return static_cast<QIODevice*>(device)->seek(position) ? 0 : 1;
}
heif_reader_grow_status deviceGrow(int64_t size, void* device) {
    return size <= static_cast<QIODevice*>(device)->size() ? heif_reader_grow_status_size_reached
                                                           : heif_reader_grow_status_size_beyond_eof;
}
const heif_reader kDeviceReader{1, devicePosition, deviceRead, deviceSeek, deviceGrow};

void releaseImage(void* image) { heif_image_release(static_cast<heif_image*>(image)); }

// Decoded to Y'CbCr 4:2:0 (the codecs' own output for photographs, which libheif passes on
// as they are when codedAsLibheifDefault) and made into the view's picture from its planes (null when the decode failed);
// nullopt when the planes are not ones HeifPlanes takes. The full-size planes are let go at once.
std::optional<QImage> decodePlanar(const heif_image_handle* handle, const QSize& coverView,
                                   QSize* natural) {
    heif_image* decoded = nullptr;
    if (heif_decode_image(handle, &decoded, heif_colorspace_YCbCr, heif_chroma_420, nullptr).code ||
        !decoded)
        return QImage();
    QImage image = HeifPlanes::toRgb32(decoded, coverView);
    if (image.isNull()) {
        heif_image_release(decoded);
        return std::nullopt;
    }
    *natural = QSize(heif_image_get_width(decoded, heif_channel_Y),
                     heif_image_get_height(decoded, heif_channel_Y));
    heif_image_release(decoded);
    return image;
}

// Decoded to interleaved RGB(A) by libheif, then reduced.
QImage decodeInterleaved(const heif_image_handle* handle, bool alpha, const QSize& coverView,
                         QSize* natural) {
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        handle, &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
    if (error.code || !decoded) return {};
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int dw = heif_image_get_width(decoded, heif_channel_interleaved);
    const int dh = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!plane || dw <= 0 || dh <= 0) {
        heif_image_release(decoded);
        return {};
    }
    *natural = QSize(dw, dh);
    // The pixels stay libheif's until the reduction copies them.
    const QImage wrapped(plane, dw, dh, stride,
                         alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888, releaseImage,
                         decoded);
    return OtherFormats::reducedForView(wrapped, coverView);
}

}  // namespace

bool recognises(const QByteArray& head) {
    return heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()),
                               int(head.size())) == heif_filetype_yes_supported;
}

Outcome decode(QIODevice* file, const QSize& coverView, QImage* out, QSize* natural) {
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) return Outcome::Broken;
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heif_context_set_max_decoding_threads(context.get(), kTilesAtOnce);
    if (!file->seek(0) ||
        heif_context_read_from_reader(context.get(), &kDeviceReader, file, nullptr).code)
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
    if (peakBytes(int64_t(w) * h, bits, alpha) > kLimitBytes) return Outcome::TooLarge;
    // What libheif will really allocate, which its API does not tell: from the boxes.
    const std::optional<HeifBoxes::Demand> demand = HeifBoxes::primaryDemand(file);
    if (!demand) return Outcome::Broken;
    if (demandsTooMuch(*demand, int64_t(w) * h, bits, alpha)) return Outcome::TooLarge;

    QSize size;
    // An 8-bit opaque picture shown reduced is taken in its codec's planes, converted and
    // reduced in one pass (its chroma is averaged over each reduced pixel anyway); the rest
    // (alpha, more bits, another coding, full size) through libheif's RGB.
    std::optional<QImage> planar;
    const bool reduced = PictureDecoder::reducedSize(QSize(w, h), false, coverView) != QSize(w, h);
    if (!alpha && bits <= 8 && reduced && codedAsLibheifDefault(handle.get()))
        planar = decodePlanar(handle.get(), coverView, &size);
    QImage image = planar ? std::move(*planar) : decodeInterleaved(handle.get(), alpha, coverView, &size);
    if (image.isNull()) return Outcome::Broken;
    const QByteArray icc = profileOf(handle.get());
    OtherFormats::toSrgbForView(&image, icc, size, coverView);
    image = OtherFormats::flattened(std::move(image));
    if (image.isNull()) return Outcome::Broken;
    *natural = size;
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace HeifDecoder
