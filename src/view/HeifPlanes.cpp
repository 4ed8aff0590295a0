#include "view/HeifPlanes.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "view/PictureDecoder.h"

namespace HeifPlanes {
namespace {

// Y'CbCr to R'G'B' for one matrix and range, as factors on the plain sample values.
struct Matrix {
    float lumaScale, lumaOffset;  // Y' = sample * lumaScale + lumaOffset
    float chromaScale;            // C = (sample - 128) * chromaScale
    float crToR, cbToB, crToG, cbToG;
};

std::optional<Matrix> matrixOf(const heif_image* image) {
    // The planes libheif hands out are in its own default coding, BT.601 full range, unless
    // they say otherwise: a picture coded another way (as its container's nclx box says) has
    // been converted into that already, so the box does not describe these samples.
    int coefficients = 6;
    bool fullRange = true;
    heif_color_profile_nclx* nclx = nullptr;
    if (!heif_image_get_nclx_color_profile(image, &nclx).code && nclx) {
        coefficients = nclx->matrix_coefficients;
        fullRange = nclx->full_range_flag != 0;
    }
    heif_nclx_color_profile_free(nclx);
    float kr = 0, kb = 0;
    switch (coefficients) {
    case 1: kr = 0.2126f; kb = 0.0722f; break;                // BT.709
    case 2: case 5: case 6: kr = 0.299f; kb = 0.114f; break;  // unspecified, BT.601
    case 4: kr = 0.30f; kb = 0.11f; break;                    // FCC
    case 7: kr = 0.212f; kb = 0.087f; break;                  // SMPTE 240M
    case 9: kr = 0.2627f; kb = 0.0593f; break;                // BT.2020, non-constant luminance
    default: return std::nullopt;                             // identity, YCgCo, derived: libheif's
    }
    const float kg = 1 - kr - kb;
    Matrix m;
    m.lumaScale = fullRange ? 1.0f : 255.0f / 219.0f;
    m.lumaOffset = fullRange ? 0.0f : -16.0f * 255.0f / 219.0f;
    m.chromaScale = fullRange ? 1.0f : 255.0f / 224.0f;
    m.crToR = 2 * (1 - kr);
    m.cbToB = 2 * (1 - kb);
    m.crToG = -2 * kr * (1 - kr) / kg;
    m.cbToG = -2 * kb * (1 - kb) / kg;
    return m;
}

struct Plane {
    const uint8_t* data = nullptr;
    int stride = 0, width = 0, height = 0;
};

bool eightBitPlane(const heif_image* image, heif_channel channel, Plane* out) {
    if (!heif_image_has_channel(image, channel) ||
        heif_image_get_bits_per_pixel_range(image, channel) != 8 ||
        heif_image_get_bits_per_pixel(image, channel) != 8)
        return false;
    out->data = heif_image_get_plane_readonly(image, channel, &out->stride);
    out->width = heif_image_get_width(image, channel);
    out->height = heif_image_get_height(image, channel);
    return out->data && out->width > 0 && out->height > 0 && out->stride >= out->width;
}

uint8_t clamped(float v) { return uint8_t(v <= 0 ? 0 : v >= 255 ? 255 : int(v + 0.5f)); }
uint8_t clamped16(int v) { return uint8_t(v <= 0 ? 0 : v >= (255 << 16) ? 255 : (v + 32768) >> 16); }

// The common case, 4:2:0 halved: each pixel from a 2 x 2 luma block and the one chroma sample
// of each plane sited there, through tables in 16.16 fixed point. The last row and column of
// an odd size repeat their neighbour, which leaves their mean that of the samples there.
void halve420(const Plane& luma, const Plane& cb, const Plane& cr, const Matrix& m, QImage* out) {
    std::vector<int> lumaOf(4 * 255 + 1), rOfV(256), gOfV(256), gOfU(256), bOfU(256);
    for (int sum = 0; sum <= 4 * 255; ++sum)
        lumaOf[size_t(sum)] = int(std::lround((sum / 4.0f * m.lumaScale + m.lumaOffset) * 65536));
    for (int c = 0; c < 256; ++c) {
        const float chroma = (c - 128) * m.chromaScale * 65536;
        rOfV[size_t(c)] = int(std::lround(m.crToR * chroma));
        gOfV[size_t(c)] = int(std::lround(m.crToG * chroma));
        gOfU[size_t(c)] = int(std::lround(m.cbToG * chroma));
        bOfU[size_t(c)] = int(std::lround(m.cbToB * chroma));
    }
    const int w = luma.width, h = luma.height;
    for (int oy = 0; oy < out->height(); ++oy) {
        const uint8_t* top = luma.data + ptrdiff_t(2 * oy) * luma.stride;
        const uint8_t* bottom = luma.data + ptrdiff_t(std::min(2 * oy + 1, h - 1)) * luma.stride;
        const uint8_t* u = cb.data + ptrdiff_t(oy) * cb.stride;
        const uint8_t* v = cr.data + ptrdiff_t(oy) * cr.stride;
        QRgb* line = reinterpret_cast<QRgb*>(out->scanLine(oy));
        for (int ox = 0; ox < out->width(); ++ox) {
            const int x0 = 2 * ox, x1 = std::min(x0 + 1, w - 1);
            const int y = lumaOf[size_t(top[x0] + top[x1] + bottom[x0] + bottom[x1])];
            line[ox] = qRgb(clamped16(y + rOfV[v[ox]]), clamped16(y + gOfV[v[ox]] + gOfU[u[ox]]),
                            clamped16(y + bOfU[u[ox]]));
        }
    }
}

}  // namespace

QImage toRgb32(const heif_image* image, const QSize& coverView) {
    if (heif_image_get_colorspace(image) != heif_colorspace_YCbCr ||
        heif_image_has_channel(image, heif_channel_Alpha))
        return {};
    int sx = 1, sy = 1;
    switch (heif_image_get_chroma_format(image)) {
    case heif_chroma_420: sx = sy = 2; break;
    case heif_chroma_422: sx = 2; break;
    case heif_chroma_444: break;
    default: return {};
    }
    Plane luma, cb, cr;
    if (!eightBitPlane(image, heif_channel_Y, &luma) || !eightBitPlane(image, heif_channel_Cb, &cb) ||
        !eightBitPlane(image, heif_channel_Cr, &cr))
        return {};
    const int w = luma.width, h = luma.height;
    // Every luma sample must have its chroma sample.
    for (const Plane* c : {&cb, &cr})
        if (c->width < (w + sx - 1) / sx || c->height < (h + sy - 1) / sy) return {};
    const std::optional<Matrix> m = matrixOf(image);
    if (!m) return {};

    const QSize size = PictureDecoder::reducedSize(QSize(w, h), false, coverView);
    int d = 1;
    for (int f : {2, 4, 8})
        if ((w + f - 1) / f == size.width() && (h + f - 1) / f == size.height()) d = f;
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull()) return out;
    if (d == 2 && sx == 2 && sy == 2) {
        halve420(luma, cb, cr, *m, &out);
        return out;
    }
    const int ow = out.width(), oh = out.height();
    for (int oy = 0; oy < oh; ++oy) {
        const int y0 = oy * d, y1 = std::min(h, y0 + d);
        const int cy0 = y0 / sy, cy1 = (y1 - 1) / sy + 1;
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(oy));
        for (int ox = 0; ox < ow; ++ox) {
            const int x0 = ox * d, x1 = std::min(w, x0 + d);
            const int cx0 = x0 / sx, cx1 = (x1 - 1) / sx + 1;
            int ySum = 0, cbSum = 0, crSum = 0;
            for (int y = y0; y < y1; ++y) {
                const uint8_t* row = luma.data + ptrdiff_t(y) * luma.stride;
                for (int x = x0; x < x1; ++x) ySum += row[x];
            }
            for (int y = cy0; y < cy1; ++y) {
                const uint8_t* b = cb.data + ptrdiff_t(y) * cb.stride;
                const uint8_t* r = cr.data + ptrdiff_t(y) * cr.stride;
                for (int x = cx0; x < cx1; ++x) {
                    cbSum += b[x];
                    crSum += r[x];
                }
            }
            const float yMean = float(ySum) / float((y1 - y0) * (x1 - x0));
            const float cCount = float((cy1 - cy0) * (cx1 - cx0));
            const float yv = yMean * m->lumaScale + m->lumaOffset;
            const float u = (float(cbSum) / cCount - 128) * m->chromaScale;
            const float v = (float(crSum) / cCount - 128) * m->chromaScale;
            line[ox] = qRgb(clamped(yv + m->crToR * v), clamped(yv + m->crToG * v + m->cbToG * u),
                            clamped(yv + m->cbToB * u));
        }
    }
    return out;
}

}  // namespace HeifPlanes
