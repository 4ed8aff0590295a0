#include <gtest/gtest.h>

#include "view/ViewGeometry.h"

using namespace ViewGeometry;

TEST(ViewGeometry, RoundHalfEvenGoesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(-0.6), -1);
}

TEST(ViewGeometry, StretchFillsWidthOrHeightKeepingTheRatio) {
    // View relatively taller or equal: fill the width.
    EXPECT_EQ(stretchSize(2000, 1000, 500, 500), QSize(500, 250));
    // Relatively wider: fill the height.
    EXPECT_EQ(stretchSize(100, 400, 500, 500), QSize(125, 500));
    // Small images are enlarged.
    EXPECT_EQ(stretchSize(100, 100, 500, 300), QSize(300, 300));
    // Equal ratios take the width branch.
    EXPECT_EQ(stretchSize(200, 100, 400, 200), QSize(400, 200));
    // Sizes round half to even: 3 * (5 / 2) = 7.5 -> 8; 5 * (1 / 2) = 2.5 -> 2.
    EXPECT_EQ(stretchSize(2, 5, 3, 100), QSize(3, 8));
    EXPECT_EQ(stretchSize(2, 1, 5, 100), QSize(5, 2));
    // Filling the height: 5 / 2 = 2.5 -> 2.
    EXPECT_EQ(stretchSize(1, 2, 100, 5), QSize(2, 5));
}

TEST(ViewGeometry, StretchDrawsNothingForAZeroWidth) {
    EXPECT_FALSE(stretchSize(0, 100, 500, 500).has_value());
    EXPECT_FALSE(stretchSize(100, 100, 0, 500).has_value());
    EXPECT_EQ(stretchSize(100, 100, 500, 0), QSize(0, 0));
}

TEST(ViewGeometry, KeySlidesStepAndClampToTheFarEdge) {
    // 800 wide in a 500-wide view: limit -300.
    int32_t x = 0;
    const int32_t expected[] = {-30, -60, -90, -120, -150, -180, -210, -240, -270, -300, -300};
    for (int32_t e : expected) {
        x = slideAxis(x, false, true, 30, 800, 500);
        EXPECT_EQ(x, e);
    }
    x = 0;
    for (int32_t e : {-90, -180, -270, -300}) {
        x = slideAxis(x, false, true, 90, 800, 500);
        EXPECT_EQ(x, e);
    }
    // Left from -20 gives +10, clamped to 0.
    EXPECT_EQ(slideAxis(-20, true, false, 30, 800, 500), 0);
    // Both keys or neither: no move.
    EXPECT_EQ(slideAxis(-60, true, true, 30, 800, 500), -60);
    EXPECT_EQ(slideAxis(-60, false, false, 30, 800, 500), -60);
    // Not strictly larger than the view: left alone.
    EXPECT_EQ(slideAxis(0, false, true, 30, 500, 500), 0);
    EXPECT_EQ(slideAxis(0, false, true, 30, 100, 500), 0);
}

TEST(ViewGeometry, DragFollowsTheMouseAndMovesTheAnchorAtLimits) {
    // 800 in 500: range -300..0. Press at 200 with offset -100.
    DragAxis a{-100, 200, -100};
    a = dragMoveAxis(a, 150.0, 800, 500);
    EXPECT_EQ(a.slide, -150);
    EXPECT_EQ(a.dragStart, 200);
    // Overshoot towards the origin: clamped, anchor moves to the mouse.
    a = dragMoveAxis(a, 400.0, 800, 500);
    EXPECT_EQ(a.slide, 0);
    EXPECT_EQ(a.dragStart, 400);
    EXPECT_EQ(a.dragStartSlide, 0);
    // Coming back moves the image at once, no dead zone.
    a = dragMoveAxis(a, 390.0, 800, 500);
    EXPECT_EQ(a.slide, -10);
    // Overshoot at the far edge.
    a = dragMoveAxis(a, -1000.0, 800, 500);
    EXPECT_EQ(a.slide, -300);
    EXPECT_EQ(a.dragStartSlide, -300);
    EXPECT_EQ(a.dragStart, -1000);
    a = dragMoveAxis(a, -990.0, 800, 500);
    EXPECT_EQ(a.slide, -290);
    // Fractional mouse positions round half to even: -300 - (-1000 - -999.5) = -299.5 -> -300.
    DragAxis b{-300, -1000, -300};
    EXPECT_EQ(dragMoveAxis(b, -999.5, 800, 500).slide, -300);
    // An image that fits does not move.
    DragAxis c{0, 10, 0};
    EXPECT_EQ(dragMoveAxis(c, 500.0, 500, 500).slide, 0);
}

TEST(ViewGeometry, ResizeClampPullsTheFarEdgeBack) {
    // Image 800 slid to -300 in a 500 view. Enlarging to 600 -> -200; to 900 -> 0.
    EXPECT_EQ(resizeClampAxis(-300, 800, 600), -200);
    EXPECT_EQ(resizeClampAxis(-300, 800, 900), 0);
    // Shrinking keeps a valid offset.
    EXPECT_EQ(resizeClampAxis(-100, 800, 400), -100);
    // Exactly as large as the view: the offset is kept.
    EXPECT_EQ(resizeClampAxis(-7, 500, 500), -7);
}

TEST(ViewGeometry, LayoutHasTheDesignedNumbers) {
    const MainLayout l = computeLayout(639, 451);
    EXPECT_EQ(l.overview, QRect(4, 0, 145, 430));
    EXPECT_EQ(l.view, QRect(153, 0, 639 - 157, 430));
    EXPECT_EQ(l.view.right(), 639 - 5);
    EXPECT_EQ(l.status, QRect(4, 431, 630, 17));
    EXPECT_EQ(l.status.right(), 639 - 6);
    EXPECT_EQ(l.status.bottom(), 451 - 4);
    // One empty row between the view and the bar.
    EXPECT_EQ(l.status.top() - (l.view.bottom() + 1), 1);
}

TEST(ViewGeometry, LayoutClampsAtTinySizes) {
    const MainLayout narrow = computeLayout(157, 100);
    EXPECT_EQ(narrow.view.width(), 0);
    EXPECT_EQ(computeLayout(100, 100).view.width(), 0);
    const MainLayout low = computeLayout(639, 21);
    EXPECT_EQ(low.view.height(), 0);
    EXPECT_EQ(low.overview.height(), 0);
    EXPECT_EQ(computeLayout(5, 10).status.width(), 0);
    EXPECT_EQ(computeLayout(5, 10).status.top(), -10);
}
