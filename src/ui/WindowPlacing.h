#pragma once
#include <QList>
#include <QMargins>
#include <QRect>

#include "core/OptionFiles.h"

class QWidget;

// Where the main window goes: the placement saved in option file 0 held against the screens.
namespace WindowPlacing {

// The placement to save for `window`: its restored rectangle and its show state.
WindowPlacement placementOf(const QWidget& window);

// The rectangle a saved placement gets: inside the available area (of `areas`) it overlaps
// most, or at the top left of `primary` when it overlaps none; never larger than that area.
// Empty for an empty placement.
QRect rectOnScreens(const WindowPlacement& placement, const QList<QRect>& areas, const QRect& primary);

// rectOnScreens with the available areas of the screens connected now.
QRect rectOnThisDesktop(const WindowPlacement& placement);

// The client rectangle that puts a window, whose frame (title bar, borders) adds `frame` around
// `client`, wholly inside `area`: made smaller only where the frame would not fit, moved no
// further than needed.
QRect clientWithFrameInside(const QRect& client, const QMargins& frame, const QRect& area);

}  // namespace WindowPlacing
