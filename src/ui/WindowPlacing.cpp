#include "ui/WindowPlacing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace {

// Overlap of two rectangles given by their edges (right and bottom exclusive), in 64 bits:
// a stored placement may hold any 32-bit numbers.
int64_t overlap(int64_t l, int64_t t, int64_t r, int64_t b, const QRect& area) {
    const int64_t w = std::min<int64_t>(r, int64_t(area.x()) + area.width()) - std::max<int64_t>(l, area.x());
    const int64_t h = std::min<int64_t>(b, int64_t(area.y()) + area.height()) - std::max<int64_t>(t, area.y());
    return (w > 0 && h > 0) ? w * h : 0;
}

}  // namespace

WindowPlacement WindowPlacing::placementOf(const QWidget& window) {
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    WindowPlacement p;
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    p.show = window.isMinimized()   ? WindowShow::Minimized
             : window.isMaximized() ? WindowShow::Maximized
                                    : WindowShow::Normal;
    return p;
}

QRect WindowPlacing::rectOnScreens(const WindowPlacement& p, const QList<QRect>& areas,
                                   const QRect& primary) {
    const int64_t l = p.left, t = p.top, r = p.right, b = p.bottom;
    if (r <= l || b <= t) return QRect();
    // The screen the rectangle lies on most; one it lies on nowhere (a monitor since
    // unplugged) comes back onto the primary screen, so the window is never out of reach.
    QRect area = primary;
    int64_t best = 0;
    for (const QRect& a : areas) {
        const int64_t o = overlap(l, t, r, b, a);
        if (o > best) {
            best = o;
            area = a;
        }
    }
    if (area.isEmpty()) return QRect();
    // Never larger than the screen's free area and wholly on it: a size far past the screen
    // would make the view's backing picture as large.
    const int64_t w = std::min<int64_t>(r - l, area.width());
    const int64_t h = std::min<int64_t>(b - t, area.height());
    const int64_t x = best > 0 ? std::clamp<int64_t>(l, area.x(), int64_t(area.x()) + area.width() - w) : area.x();
    const int64_t y = best > 0 ? std::clamp<int64_t>(t, area.y(), int64_t(area.y()) + area.height() - h) : area.y();
    return QRect(int(x), int(y), int(w), int(h));
}

QRect WindowPlacing::clientWithFrameInside(const QRect& client, const QMargins& frame, const QRect& area) {
    const QRect outer = client.marginsAdded(frame);
    const int w = std::min(outer.width(), area.width());
    const int h = std::min(outer.height(), area.height());
    const int x = std::clamp(outer.x(), area.x(), area.x() + area.width() - w);
    const int y = std::clamp(outer.y(), area.y(), area.y() + area.height() - h);
    return QRect(x, y, w, h).marginsRemoved(frame);
}

QRect WindowPlacing::rectOnThisDesktop(const WindowPlacement& p) {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    return rectOnScreens(p, areas, primary ? primary->availableGeometry() : QRect());
}
