#include "view/PictureOffset.h"

#include "view/ViewGeometry.h"

void PictureOffset::slide(const HeldKeys& held, const QSize& picture, const QSize& view) {
    const int32_t step = held[4] ? 90 : 30;
    x_ = ViewGeometry::slideAxis(x_, held[0], held[2], step, picture.width(), view.width());
    y_ = ViewGeometry::slideAxis(y_, held[1], held[3], step, picture.height(), view.height());
}

void PictureOffset::startDrag(double x, double y) {
    dragStartOffsetX_ = x_;
    dragStartOffsetY_ = y_;
    dragStartX_ = static_cast<int32_t>(ViewGeometry::roundHalfEven(x));
    dragStartY_ = static_cast<int32_t>(ViewGeometry::roundHalfEven(y));
}

void PictureOffset::drag(double x, double y, const QSize& picture, const QSize& view) {
    ViewGeometry::DragAxis h{x_, dragStartX_, dragStartOffsetX_};
    h = ViewGeometry::dragMoveAxis(h, x, picture.width(), view.width());
    x_ = h.slide;
    dragStartX_ = h.dragStart;
    dragStartOffsetX_ = h.dragStartSlide;
    ViewGeometry::DragAxis v{y_, dragStartY_, dragStartOffsetY_};
    v = ViewGeometry::dragMoveAxis(v, y, picture.height(), view.height());
    y_ = v.slide;
    dragStartY_ = v.dragStart;
    dragStartOffsetY_ = v.dragStartSlide;
}

void PictureOffset::fitView(const QSize& picture, const QSize& view) {
    x_ = ViewGeometry::resizeClampAxis(x_, picture.width(), view.width());
    y_ = ViewGeometry::resizeClampAxis(y_, picture.height(), view.height());
}
