#include <gtest/gtest.h>

#include "ui/WindowPlacing.h"

namespace {

const QRect kLeft(0, 0, 1920, 1050);      // the primary screen's free area
const QRect kRight(1920, 0, 1280, 1024);

WindowPlacement saved(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return WindowPlacement{left, top, right, bottom, WindowShow::Normal};
}

// A stored placement holds any 32-bit numbers: the window always lands inside a screen's free
// area, no larger than it (a size far past it once made a backing picture of gigabytes), with
// no arithmetic overflow on the way.
TEST(WindowPlacing, HostilePlacementsLandInsideAScreen) {
    const WindowPlacement hostile[] = {
        saved(100, 100, 70000, 70000),
        saved(0, 0, INT32_MAX, INT32_MAX),
        saved(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
        saved(INT32_MIN, INT32_MIN, -2147483000, -2147483000),
        saved(2147483000, 2147483000, INT32_MAX, INT32_MAX),
        saved(-50, -60, 250, 240),
    };
    for (const WindowPlacement& p : hostile) {
        const QRect r = WindowPlacing::rectOnScreens(p, {kLeft, kRight}, kLeft);
        EXPECT_TRUE(kLeft.contains(r) || kRight.contains(r)) << p.left << "," << p.top << " " << p.right;
        EXPECT_FALSE(r.isEmpty());
    }
}

// The window goes back to the screen it lay on most; one it lay on nowhere (a monitor since
// unplugged) comes to the top left of the primary screen.
TEST(WindowPlacing, TheScreenOverlappedMostTakesTheWindow) {
    EXPECT_EQ(WindowPlacing::rectOnScreens(saved(1800, 10, 2600, 610), {kLeft, kRight}, kLeft),
              QRect(1920, 10, 800, 600));
    EXPECT_EQ(WindowPlacing::rectOnScreens(saved(5000, 40, 5700, 540), {kLeft, kRight}, kLeft),
              QRect(0, 0, 700, 500));
    EXPECT_TRUE(WindowPlacing::rectOnScreens(saved(10, 10, 10, 500), {kLeft}, kLeft).isEmpty());
}

// The frame, title bar included, comes inside the area: a client at the very top moves down by
// the title bar, one as tall as the area loses the frame's height; one already inside stays.
TEST(WindowPlacing, TheFrameComesInsideTheArea) {
    const QMargins frame(4, 30, 4, 4);
    EXPECT_EQ(WindowPlacing::clientWithFrameInside(QRect(100, 0, 800, 600), frame, kLeft), QRect(100, 30, 800, 600));
    EXPECT_EQ(WindowPlacing::clientWithFrameInside(QRect(0, 0, 1920, 1050), frame, kLeft), QRect(4, 30, 1912, 1016));
    EXPECT_EQ(WindowPlacing::clientWithFrameInside(QRect(1950, 40, 800, 600), frame, kRight), QRect(1950, 40, 800, 600));
}

}  // namespace
