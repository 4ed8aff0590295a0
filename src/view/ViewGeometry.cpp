#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ViewGeometry {
namespace {
int32_t toInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
}  // namespace

int64_t roundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    // Far beyond any pixel count; keeps the conversion defined.
    value = std::clamp(value, -9.0e15, 9.0e15);
    const double lower = std::floor(value);
    const double diff = value - lower;
    double r;
    if (diff < 0.5)
        r = lower;
    else if (diff > 0.5)
        r = lower + 1.0;
    else
        r = (std::fmod(lower, 2.0) == 0.0) ? lower : lower + 1.0;
    return static_cast<int64_t>(r);
}

std::optional<QSize> stretchSize(int imageW, int imageH, int viewW, int viewH) {
    if (imageW == 0) return std::nullopt;
    const double r = static_cast<double>(imageH) / static_cast<double>(imageW);
    if (viewW == 0) return std::nullopt;
    const double v = static_cast<double>(viewH) / static_cast<double>(viewW);
    int64_t w, h;
    if (v >= r) {
        w = viewW;
        h = roundHalfEven(static_cast<double>(w) * r);
    } else {
        h = viewH;
        w = roundHalfEven(static_cast<double>(h) / r);
    }
    return QSize(toInt32(w), toInt32(h));
}

int32_t slideAxis(int32_t offset, bool towardsOrigin, bool away, int32_t step, int imageSize,
                  int viewSize) {
    if (imageSize <= viewSize) return offset;
    int64_t o = offset;
    if (towardsOrigin && !away) o += step;
    if (away && !towardsOrigin) o -= step;
    if (o > 0)
        o = 0;
    else if (static_cast<int64_t>(imageSize) + o < viewSize)
        o = static_cast<int64_t>(viewSize) - imageSize;
    return toInt32(o);
}

DragAxis dragMoveAxis(DragAxis a, double mouse, int imageSize, int viewSize) {
    if (imageSize <= viewSize) return a;
    const int64_t m = roundHalfEven(mouse);
    const int64_t slide = roundHalfEven(static_cast<double>(a.dragStartSlide) -
                                        (static_cast<double>(a.dragStart) - mouse));
    if (slide > 0) {
        a.slide = 0;
        a.dragStartSlide = 0;
        a.dragStart = toInt32(m);
    } else if (static_cast<int64_t>(imageSize) + slide < viewSize) {
        a.slide = toInt32(static_cast<int64_t>(viewSize) - imageSize);
        a.dragStartSlide = a.slide;
        a.dragStart = toInt32(m);
    } else {
        a.slide = toInt32(slide);
    }
    return a;
}

int32_t resizeClampAxis(int32_t offset, int imageSize, int viewSize) {
    if (imageSize > viewSize && static_cast<int64_t>(imageSize) + offset < viewSize)
        offset = toInt32(static_cast<int64_t>(viewSize) - imageSize);
    if (imageSize < viewSize) offset = 0;
    return offset;
}

MainLayout computeLayout(int W, int H, int overviewWidth, int statusHeight) {
    MainLayout l;
    const int overviewLeft = 4;
    const int viewLeft = overviewLeft + overviewWidth + 4;
    const int viewWidth = std::max(0, W - viewLeft - 4);
    const int height = std::max(0, H - 4 - statusHeight);
    l.overview = QRect(overviewLeft, 0, overviewWidth, height);
    l.view = QRect(viewLeft, 0, viewWidth, height);
    // Nine, not eight: the label ends one pixel further from the right edge than the view.
    l.status = QRect(4, H - 20, std::max(0, W - 9), statusHeight);
    return l;
}

namespace {
// The widest panel that leaves the picture its minimum: 4 px margins either side of the panel
// and 4 px right of the picture.
int widestOverview(int W) { return W - 12 - kMinimumViewWidth; }
}  // namespace

int overviewWidthFor(int chosen, int W) {
    if (chosen <= kOverviewWidth) return kOverviewWidth;
    return std::max(kOverviewWidth, std::min(chosen, widestOverview(W)));
}

int draggedOverviewWidth(int edgeX, int W) {
    return std::max(kOverviewWidth, std::min(edgeX - 4, widestOverview(W)));
}

}  // namespace ViewGeometry
