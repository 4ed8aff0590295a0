#pragma once
// The arithmetic of the view: the stretch rectangle, slide clamps, dragging and the main
// window's layout. Plain functions of plain numbers, so every rule can be checked alone.

#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>

namespace ViewGeometry {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int64_t roundHalfEven(double value);

// Size of the stretched copy of an image of imageW x imageH in a view of viewW x viewH: the
// aspect ratio kept, filling the view's width when the view is relatively taller (or equal),
// else its height. Nothing when the image or the view has width 0 (nothing is drawn then).
std::optional<QSize> stretchSize(int imageW, int imageH, int viewW, int viewH);

// One axis of a key slide. `towardsOrigin` is Left (or Up) held: the image moves right (down)
// by `step`; `away` is Right (or Down): it moves left (up). Both or neither: no move. An axis
// along which the image is not strictly larger than the view is returned unchanged. The result
// lies in [view - image, 0].
int32_t slideAxis(int32_t offset, bool towardsOrigin, bool away, int32_t step, int imageSize,
                  int viewSize);

// One axis of a drag. `slide` follows the mouse from the anchor (`dragStart`, `dragStartSlide`);
// at a limit the anchor moves with the mouse, so coming back moves the image again at once.
struct DragAxis {
    int32_t slide = 0;
    int32_t dragStart = 0;
    int32_t dragStartSlide = 0;
};
DragAxis dragMoveAxis(DragAxis axis, double mouse, int imageSize, int viewSize);

// One axis of the offset clamp after a resize: an image larger than the view whose far edge
// came inside the view is pulled back to it; an image smaller than the view goes back to 0; an
// image exactly as large keeps its offset.
int32_t resizeClampAxis(int32_t offset, int imageSize, int viewSize);

// The main window's controls for an inner size of W x H: the page overview panel, the image
// view and the status label. `overviewWidth` and `statusHeight` are the sizes the panel and the
// label keep from their design (145 and 17).
struct MainLayout {
    QRect overview;
    QRect view;
    QRect status;
};
inline constexpr int kOverviewWidth = 145;
inline constexpr int kStatusHeight = 17;
inline constexpr int kDesignedClientWidth = 639;
inline constexpr int kDesignedClientHeight = 451;
MainLayout computeLayout(int W, int H, int overviewWidth = kOverviewWidth,
                         int statusHeight = kStatusHeight);

// The overview panel may be widened by dragging its edge. `chosen` is the width the user gave
// it (0 or less: the designed width). A panel wider than designed gives way first when the
// client area W is too narrow for it and a picture kMinimumViewWidth wide, down to the designed
// width; below that the layout is the designed one.
inline constexpr int kMinimumViewWidth = 240;
int overviewWidthFor(int chosen, int W);
// The width a drag of the panel's edge to column `edgeX` chooses in a client area W wide: never
// below the designed width, never past what leaves the picture kMinimumViewWidth.
int draggedOverviewWidth(int edgeX, int W);

}  // namespace ViewGeometry
