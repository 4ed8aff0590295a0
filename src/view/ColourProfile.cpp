#include "view/ColourProfile.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QCryptographicHash>
#include <QtEndian>

#include <lcms2.h>

#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace ColourProfile {
namespace {

// QImage's 32-bit pixels are 0xAARRGGBB words: B, G, R, A bytes in memory on little-endian.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr cmsUInt32Number kPixel32 = TYPE_BGRA_8;
#else
constexpr cmsUInt32Number kPixel32 = TYPE_ARGB_8;
#endif

constexpr qsizetype kSplitPixels = 1 << 20;

// How one profile's pixels reach sRGB: lcms2's transform, or for an RGB profile made of three
// primaries and tone curves alone (cameras' Adobe RGB, phones' Display P3) Qt's, which evaluates
// that matrix with SIMD in under half lcms2's time a pixel and agrees with it to one level.
struct Transform {
    ~Transform() {
        if (lcms) cmsDeleteTransform(lcms);
    }
    cmsHTRANSFORM lcms = nullptr;
    std::optional<QColorTransform> matrix;
};
// Shared, so one dropped from the cache lives on while a worker still converts with it.
using TransformPtr = std::shared_ptr<const Transform>;

// A few recent transforms: stepping through one camera's pictures builds one transform.
class TransformCache {
public:
    // The transform from `icc` (with pixels of `inputType`) to sRGB 32-bit pixels, or null.
    TransformPtr get(const QByteArray& icc, cmsUInt32Number inputType) {
        const QByteArray key = QCryptographicHash::hash(icc, QCryptographicHash::Sha1) +
                               QByteArray::number(inputType);
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first != key) continue;
            entries_.splice(entries_.begin(), entries_, it);
            return it->second;
        }
        TransformPtr transform = build(icc, inputType);
        if (!transform) return nullptr;
        entries_.emplace_front(key, transform);
        if (entries_.size() > 8) entries_.pop_back();
        return transform;
    }

private:
    static TransformPtr build(const QByteArray& icc, cmsUInt32Number inputType) {
        cmsHPROFILE from = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
        if (!from) return nullptr;
        auto result = std::make_shared<Transform>();
        // A profile with tables for perceptual rendering stays lcms2's: Qt reads the matrix only.
        if (inputType == kPixel32 && cmsIsMatrixShaper(from) &&
            !cmsIsCLUT(from, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT)) {
            const QColorSpace space = QColorSpace::fromIccProfile(icc);
            if (space.isValid()) {
                cmsCloseProfile(from);
                result->matrix = space.transformationToColorSpace(QColorSpace::SRgb);
                return result;
            }
        }
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        // Perceptual, as colour-managed viewers use; a matrix profile falls back to relative
        // colorimetric. No cache: one transform serves both workers at once.
        // Alpha is carried over where the input has it; otherwise the caller sets it.
        const cmsUInt32Number flags =
            cmsFLAGS_NOCACHE | (inputType == kPixel32 ? cmsFLAGS_COPY_ALPHA : 0);
        result->lcms =
            cmsCreateTransform(from, inputType, srgb, kPixel32, INTENT_PERCEPTUAL, flags);
        cmsCloseProfile(srgb);
        cmsCloseProfile(from);
        return result->lcms ? result : nullptr;
    }
    std::mutex mutex_;
    std::list<std::pair<QByteArray, TransformPtr>> entries_;
};

TransformCache& cache() {
    static TransformCache c;
    return c;
}

// The alpha byte of pixels converted from an input without alpha is not written.
void makeOpaque(uchar* line, int width) {
    QRgb* pixels = reinterpret_cast<QRgb*>(line);
    for (int x = 0; x < width; ++x) pixels[x] |= 0xFF000000u;
}

// The cache is destroyed after the workers have stopped; lcms2 errors are not printed.
void quietErrors(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

Space spaceOf(const QByteArray& icc) {
    static std::once_flag once;
    std::call_once(once, [] { cmsSetLogErrorHandler(quietErrors); });
    if (icc.size() < 128) return Space::Unusable;
    cmsHPROFILE p = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (!p) return Space::Unusable;
    Space s = Space::Unusable;
    switch (cmsGetColorSpace(p)) {
    case cmsSigRgbData: s = Space::Rgb; break;
    case cmsSigGrayData: s = Space::Grey; break;
    case cmsSigCmykData: s = Space::Cmyk; break;
    default: break;
    }
    cmsCloseProfile(p);
    return s;
}

bool toSrgb(QImage* image, const QByteArray& icc) {
    if (image->isNull()) return false;
    const Space space = spaceOf(icc);
    if (space == Space::Grey) {
        if (image->format() != QImage::Format_Grayscale8) return false;
        const TransformPtr t = cache().get(icc, TYPE_GRAY_8);
        if (!t) return false;
        QImage out(image->size(), QImage::Format_RGB32);
        if (out.isNull()) return false;
        for (int y = 0; y < image->height(); ++y) {
            cmsDoTransform(t->lcms, image->constScanLine(y), out.scanLine(y),
                           cmsUInt32Number(image->width()));
            makeOpaque(out.scanLine(y), image->width());
        }
        *image = std::move(out);
        return true;
    }
    if (space != Space::Rgb) return false;
    const TransformPtr t = cache().get(icc, kPixel32);
    if (!t) return false;
    const QImage::Format wanted =
        image->hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image->format() != wanted) {
        QImage converted = image->convertToFormat(wanted);
        if (converted.isNull()) return false;  // *image untouched
        *image = std::move(converted);
    }
    // Converted in place: nothing below can fail once the transform is there.
    if (t->matrix) {
        // Qt spreads the rows over its own thread pool.
        image->applyColorTransform(*t->matrix);
        return true;
    }
    uchar* bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    const int width = image->width();
    auto convertRows = [&t, bits, stride, width](int from, int to) {
        for (int y = from; y < to; ++y)
            cmsDoTransform(t->lcms, bits + y * stride, bits + y * stride, cmsUInt32Number(width));
    };
    // lcms2 takes some 10 ns a pixel: a large picture is converted in two halves at once, so
    // a picture shown cold (the other worker idle until it is painted) waits half as long.
    const int rows = image->height();
    if (qsizetype(rows) * width >= kSplitPixels) {
        std::thread lower(convertRows, rows / 2, rows);
        convertRows(0, rows / 2);
        lower.join();
    } else {
        convertRows(0, rows);
    }
    return true;
}

QImage cmykToSrgb(const uchar* rows, int width, int height, qsizetype bytesPerLine, bool inverted,
                  const QByteArray& icc) {
    if (spaceOf(icc) != Space::Cmyk) return {};
    const TransformPtr t = cache().get(icc, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
    if (!t) return {};
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull()) return {};
    for (int y = 0; y < height; ++y) {
        cmsDoTransform(t->lcms, rows + y * bytesPerLine, out.scanLine(y), cmsUInt32Number(width));
        makeOpaque(out.scanLine(y), width);
    }
    return out;
}

QByteArray rgbProfile(const double primaries[6], const double white[2], bool srgbCurve,
                      double gamma) {
    const cmsCIExyY whitePoint{white[0], white[1], 1.0};
    const cmsCIExyYTRIPLE prim{{primaries[0], primaries[1], 1.0},
                               {primaries[2], primaries[3], 1.0},
                               {primaries[4], primaries[5], 1.0}};
    // The sRGB curve: parametric type 4 (IEC 61966-2-1).
    const cmsFloat64Number srgbParams[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = srgbCurve ? cmsBuildParametricToneCurve(nullptr, 4, srgbParams)
                                    : cmsBuildGamma(nullptr, gamma);
    if (!curve) return {};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&whitePoint, &prim, curves);
    cmsFreeToneCurve(curve);
    if (!p) return {};
    cmsUInt32Number size = 0;
    QByteArray bytes;
    if (cmsSaveProfileToMem(p, nullptr, &size) && size > 0) {
        bytes.resize(qsizetype(size));
        if (!cmsSaveProfileToMem(p, bytes.data(), &size)) bytes.clear();
    }
    cmsCloseProfile(p);
    return bytes;
}

}  // namespace ColourProfile
