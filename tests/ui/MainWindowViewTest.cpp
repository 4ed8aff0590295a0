// The image view in the main window: the layout, drawing at actual size and stretched, sliding
// by keys and the mouse.
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "MainWindowFixture.h"
#include "view/PictureLoader.h"
#include "view/ViewGeometry.h"

namespace {

using MainWindowView = MainWindowWithPictures;

TEST_F(MainWindowView, LoadingTheEmptyPathChangesNoFlag) {
    MainWindow& f = start(pics.path());
    f.pictureLoader().offset().moveTo(-5, -7);
    f.session().markCopied(0);
    EXPECT_TRUE(f.pictureLoader().load(QString()));
    EXPECT_TRUE(f.pictureLoader().picture().isNull());
    EXPECT_TRUE(viewIsClear());
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_TRUE(f.session().copied());
    EXPECT_EQ(f.pictureLoader().offset().x(), -5);
    EXPECT_EQ(f.pictureLoader().offset().y(), -7);
    // A named load of the shown file resets the offsets and the copied mark.
    EXPECT_TRUE(f.pictureLoader().load(f.session().list().shownPath()));
    EXPECT_EQ(f.pictureLoader().offset().x(), 0);
    EXPECT_EQ(f.pictureLoader().offset().y(), 0);
    EXPECT_FALSE(f.session().copied());
}

TEST_F(MainWindowView, LayoutColoursAndFocus) {
    MainWindow& f = start();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(f.centralWidget()->size(), QSize(639, 451));
    auto check = [&] {
        const QSize c = f.centralWidget()->size();
        const ViewGeometry::MainLayout l = ViewGeometry::computeLayout(c.width(), c.height());
        EXPECT_EQ(f.overviewPanel()->geometry(), l.overview);
        EXPECT_EQ(f.imageView()->geometry(), l.view);
        EXPECT_EQ(f.statusLabel()->geometry(), l.status);
    };
    check();
    f.resize(800, 640);
    QApplication::processEvents();
    check();
    EXPECT_EQ(f.overviewPanel()->width(), 145);
    EXPECT_EQ(f.statusLabel()->height(), 17);
    EXPECT_EQ(f.centralWidget()->palette().color(QPalette::Window), kBackground);
    EXPECT_EQ(f.statusLabel()->palette().color(QPalette::Window), kBackground);

    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f)) << "the window was never made active";
    f.overviewPanel()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(f.imageView()->hasFocus());
}

TEST_F(MainWindowView, ActualSizeStretchAndTheRightButton) {
    pics.write("wide.bmp", TestImages::Encode(800, 600, "BMP", Qt::blue));
    MainWindow& f = start(pics.file("a1.bmp"));
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QSize view = f.imageView()->size();
    ASSERT_EQ(view, QSize(639 - 157, 430));
    f.pictureLoader().drawAfresh();
    EXPECT_EQ(viewPixel(0, 0), QColor(Qt::red));
    EXPECT_EQ(viewPixel(6, 4), QColor(Qt::red));
    EXPECT_EQ(viewPixel(7, 0), kBackground);

    // Right-button release toggles the fit, drawn from the top-left: 7 x 5 in 482 x 430 gives
    // 482 x 344 (344.29 rounded).
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(window->options().fitToView);
    EXPECT_EQ(viewPixel(view.width() - 1, 343), QColor(Qt::red));
    EXPECT_EQ(viewPixel(0, 344), kBackground);
    // Pressing and dragging in stretched mode moves nothing.
    f.pictureLoader().onMouseDown(Qt::LeftButton, Qt::NoModifier, QPointF(100, 100));
    f.pictureLoader().onMouseMove(Qt::LeftButton, Qt::NoModifier, QPointF(50, 50));
    EXPECT_EQ(f.pictureLoader().offset().x(), 0);
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(window->options().fitToView);
    EXPECT_EQ(viewPixel(7, 0), kBackground);

    // With nothing shown the right button still toggles, and the view is not touched.
    f.openFileAt(pics.file("broken.jpg"));
    ASSERT_TRUE(pictureSettled(f.pictureLoader()));
    ASSERT_FALSE(f.session().imageShown());
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(window->options().fitToView);
    EXPECT_TRUE(viewIsClear());
    // Left clicks do not toggle.
    QTest::mouseClick(f.imageView(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(window->options().fitToView);
}

TEST_F(MainWindowView, SlidingByKeysDragAndResize) {
    pics.write("wide.bmp", TestImages::Encode(800, 600, "BMP", Qt::blue));
    MainWindow& f = start(pics.file("wide.bmp"));
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const int viewW = f.imageView()->width();  // 482

    PictureOffset::HeldKeys keys{};
    keys[2] = true;  // Right
    f.pictureLoader().slide(keys);
    EXPECT_EQ(f.pictureLoader().offset().x(), -30);
    keys[4] = true;  // Shift
    for (int i = 0; i < 5; ++i) f.pictureLoader().slide(keys);
    EXPECT_EQ(f.pictureLoader().offset().x(), viewW - 800);
    keys = {};
    keys[3] = true;  // Down
    f.pictureLoader().slide(keys);
    EXPECT_EQ(f.pictureLoader().offset().y(), -30);
    keys = {};

    // Drag with the left button alone: the image follows the mouse.
    auto send = [&](QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, pos, f.imageView()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(f.imageView(), &e);
    };
    send(QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(150, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.pictureLoader().offset().x(), viewW - 800 + 50);
    EXPECT_EQ(f.pictureLoader().offset().y(), -40);
    // A back button held as well does not stop it; the right button does.
    send(QEvent::MouseMove, QPointF(170, 90), Qt::NoButton, Qt::LeftButton | Qt::BackButton);
    EXPECT_EQ(f.pictureLoader().offset().x(), viewW - 800 + 70);
    send(QEvent::MouseMove, QPointF(160, 80), Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(f.pictureLoader().offset().x(), viewW - 800 + 70);
    send(QEvent::MouseButtonRelease, QPointF(170, 90), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(window->options().fitToView);
    // The top-left of the view shows the image at the offset.
    EXPECT_EQ(viewPixel(0, 0), QColor(Qt::blue));

    // Enlarging the window pulls the far edge back: view 700 wide gives -100.
    f.pictureLoader().offset().moveTo(viewW - 800, f.pictureLoader().offset().y());
    const int chrome = f.height() - f.centralWidget()->height();
    f.resize(700 + 157, 430 + 21 + chrome);
    QApplication::processEvents();
    ASSERT_EQ(f.imageView()->width(), 700);
    EXPECT_EQ(f.pictureLoader().offset().x(), -100);
    EXPECT_EQ(f.pictureLoader().offset().y(), -40);
    f.resize(900 + 157, 700 + 21 + chrome);
    QApplication::processEvents();
    EXPECT_EQ(f.pictureLoader().offset().x(), 0);
    EXPECT_EQ(f.pictureLoader().offset().y(), 0);
}

TEST_F(MainWindowView, StretchedRedrawsClearOnlyInTheNormalState) {
    MainWindow& f = start(pics.file("a1.bmp"));  // 7 x 5, red
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    // A spot of the view outside the stretched rectangle, marked green before each redraw.
    auto markOutside = [&]() -> QPoint {
        const QSize view = f.imageView()->size();
        const QSize dest = *ViewGeometry::stretchSize(7, 5, view.width(), view.height());
        const QPoint spot = dest.width() < view.width() ? QPoint(view.width() - 2, 1)
                                                        : QPoint(1, view.height() - 2);
        QPainter p(&f.imageView()->backing());
        p.fillRect(QRect(spot, QSize(1, 1)), Qt::green);
        return spot;
    };

    // Normal window, stretched: a redraw (a resize, a slide) clears as a fresh draw does.
    window->options().fitToView = true;
    f.pictureLoader().setFit(true);
    f.pictureLoader().drawAfresh();
    QPoint spot = markOutside();
    f.pictureLoader().redraw();
    EXPECT_EQ(viewPixel(spot.x(), spot.y()), kBackground);
    // Actual size: a redraw draws over what the view shows.
    window->options().fitToView = false;
    f.pictureLoader().setFit(false);
    f.pictureLoader().drawAfresh();
    QPainter(&f.imageView()->backing()).fillRect(QRect(100, 100, 1, 1), Qt::green);
    f.pictureLoader().redraw();
    EXPECT_EQ(viewPixel(100, 100), QColor(Qt::green));

    // Maximised, stretched: only a fresh draw clears.
    window->options().fitToView = true;
    f.pictureLoader().setFit(true);
    f.showMaximized();
    QApplication::processEvents();
    if (!(f.windowState() & Qt::WindowMaximized)) GTEST_SKIP() << "the platform did not maximise";
    f.pictureLoader().drawAfresh();
    spot = markOutside();
    f.pictureLoader().redraw();
    EXPECT_EQ(viewPixel(spot.x(), spot.y()), QColor(Qt::green));
    spot = markOutside();
    f.pictureLoader().drawAfresh();
    EXPECT_EQ(viewPixel(spot.x(), spot.y()), kBackground);
}

}  // namespace
