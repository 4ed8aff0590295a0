#pragma once
#include <QSize>

#include <array>
#include <cstdint>

// Where the top-left corner of a picture shown at actual size lies in the view (0 or less on
// each axis): moved by the arrow keys and by dragging, pulled back when the view grows.
class PictureOffset {
public:
    int32_t x() const { return x_; }
    int32_t y() const { return y_; }
    // Puts the picture's corner at (x, y); a new picture starts at (0, 0).
    void moveTo(int32_t x, int32_t y) {
        x_ = x;
        y_ = y;
    }

    // The arrow keys held, in the order Left, Up, Right, Down, Shift.
    using HeldKeys = std::array<bool, 5>;
    // One key step: 30 pixels, 90 with Shift, each axis kept inside the picture.
    void slide(const HeldKeys& held, const QSize& picture, const QSize& view);
    // The mouse went down at (x, y) in the view: a drag starts from there.
    void startDrag(double x, double y);
    // The mouse moved to (x, y) with the left button held: the picture follows it.
    void drag(double x, double y, const QSize& picture, const QSize& view);
    // The view changed size: an edge that came inside the view is pulled back to it.
    void fitView(const QSize& picture, const QSize& view);

private:
    int32_t x_ = 0;
    int32_t y_ = 0;
    int32_t dragStartX_ = 0;
    int32_t dragStartY_ = 0;
    int32_t dragStartOffsetX_ = 0;
    int32_t dragStartOffsetY_ = 0;
};
