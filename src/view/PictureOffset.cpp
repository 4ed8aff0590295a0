#include "PictureOffset.h"

#include "ViewGeometry.h"

void PictureOffset::slide(const HeldKeys& held, const QSize& picture, const QSize& view) {
    const int32_t step = held[4] ? 90 : 30;
    x_ = ViewGeometry::SlideAxis(x_, held[0], held[2], step, picture.width(), view.width());
    y_ = ViewGeometry::SlideAxis(y_, held[1], held[3], step, picture.height(), view.height());
}

void PictureOffset::startDrag(double x, double y) {
    dragStartOffsetX_ = x_;
    dragStartOffsetY_ = y_;
    dragStartX_ = static_cast<int32_t>(ViewGeometry::RoundHalfEven(x));
    dragStartY_ = static_cast<int32_t>(ViewGeometry::RoundHalfEven(y));
}

void PictureOffset::drag(double x, double y, const QSize& picture, const QSize& view) {
    ViewGeometry::DragAxis h{x_, dragStartX_, dragStartOffsetX_};
    h = ViewGeometry::DragMoveAxis(h, x, picture.width(), view.width());
    x_ = h.slide;
    dragStartX_ = h.dragStart;
    dragStartOffsetX_ = h.dragStartSlide;
    ViewGeometry::DragAxis v{y_, dragStartY_, dragStartOffsetY_};
    v = ViewGeometry::DragMoveAxis(v, y, picture.height(), view.height());
    y_ = v.slide;
    dragStartY_ = v.dragStart;
    dragStartOffsetY_ = v.dragStartSlide;
}

void PictureOffset::fitView(const QSize& picture, const QSize& view) {
    x_ = ViewGeometry::ResizeClampAxis(x_, picture.width(), view.width());
    y_ = ViewGeometry::ResizeClampAxis(y_, picture.height(), view.height());
}
