// The view: loading the picture, drawing it, sliding it, the mouse and the layout.
#include <QImage>

#include "ImageView.h"
#include "MainWindow.h"
#include "PngPlugin.h"
#include "PictureDecoder.h"
#include "Prefetcher.h"
#include "ViewGeometry.h"

void MainWindow::ConnectView() {
    connect(imageView_, &ImageView::mouseDown, this, &MainWindow::onMouseDown);
    connect(imageView_, &ImageView::mouseMove, this, &MainWindow::onMouseMove);
    connect(imageView_, &ImageView::mouseUp, this, &MainWindow::onMouseUp);
}

void MainWindow::ShowShownFile() {
    // The status bar is painted before a slow decode starts, without running other events.
    statusLabel_->repaint();
    const QString path = session_.list().shownPath();
    if (path.isEmpty())
        loadPicture(QString());
    else
        LoadOrShowFailure(path);
}

bool MainWindow::loadPicture(const QString& path) {
    if (path.isEmpty()) {
        picture_ = PictureBuffer();
        imageView_->clearBacking();
        return true;
    }
    SlideX = 0;
    SlideY = 0;
    picture_ = PictureBuffer();

    // The picture may have been decoded ahead (MainWindowPrefetch.cpp); the flags follow the same
    // rules either way.
    bool decoded;
    DecodedPicture picture;
    if (path.right(3).compare(QLatin1String("png"), Qt::CaseInsensitive) != 0 ||
        session_.pngPluginAvailable()) {
        decoded = ObtainPicture(path, &picture);
    } else {
        // Nothing can decode it: a failure like any other, so the digit keys never act on a
        // file that is not on screen.
        decoded = false;
    }
    if (!decoded) {
        picture_ = PictureBuffer();
        PrefetchAround();
        return false;
    }
    picture_ = picture.picture;
    session_.pictureShown();
    drawPicture(0);
    PrefetchAround();
    return true;
}

void MainWindow::ShowLoadFailure() {
    session_.pictureFailed();
    loadPicture(QString());
    updateStatusText();
}

void MainWindow::LoadOrShowFailure(const QString& path) {
    if (!loadPicture(path)) ShowLoadFailure();
}

void MainWindow::drawPicture(int32_t redrawKind) {
    if (!session_.imageShown()) return;
    if (redrawKind == 0) imageView_->clearBacking();
    if (options().fitToView) {
        const Qt::WindowStates ws = windowState();
        if (!(ws & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            imageView_->clearBacking();
        const std::optional<QSize> dest = ViewGeometry::StretchSize(
            picture_.width(), picture_.height(), imageView_->width(), imageView_->height());
        if (!dest) return;
        EnsurePixels(&*dest);
        const QImage* ready = picture_.stretchedTo(*dest);
        imageView_->drawStretched(ready ? *ready : picture_.pixels(), *dest);
    } else {
        // Actual size always shows the full-resolution picture.
        EnsurePixels(nullptr);
        imageView_->drawActualSize(picture_.pixels(), SlideX, SlideY);
    }
    // No pending events are run here: the repaint is scheduled, so key handlers never nest.
    imageView_->update();
}

void MainWindow::slidePicture() {
    const auto& k = SlideKeys;  // Left, Up, Right, Down, Shift
    const int32_t step = k[4] ? 90 : 30;
    SlideX = ViewGeometry::SlideAxis(SlideX, k[0], k[2], step, picture_.width(), imageView_->width());
    SlideY = ViewGeometry::SlideAxis(SlideY, k[1], k[3], step, picture_.height(), imageView_->height());
    drawPicture(2);
}

void MainWindow::toggleFitMode() { session_.toggleFitMode(); }

void MainWindow::onMouseDown(int, int, double x, double y) {
    if (options().fitToView) return;
    DragStartSlideX = SlideX;
    DragStartSlideY = SlideY;
    DragStartX = static_cast<int32_t>(ViewGeometry::RoundHalfEven(x));
    DragStartY = static_cast<int32_t>(ViewGeometry::RoundHalfEven(y));
}

void MainWindow::onMouseMove(int button, int, double x, double y) {
    if (options().fitToView || button != 1) return;
    ViewGeometry::DragAxis h{SlideX, DragStartX, DragStartSlideX};
    h = ViewGeometry::DragMoveAxis(h, x, picture_.width(), imageView_->width());
    SlideX = h.slide;
    DragStartX = h.dragStart;
    DragStartSlideX = h.dragStartSlide;
    ViewGeometry::DragAxis v{SlideY, DragStartY, DragStartSlideY};
    v = ViewGeometry::DragMoveAxis(v, y, picture_.height(), imageView_->height());
    SlideY = v.slide;
    DragStartY = v.dragStart;
    DragStartSlideY = v.dragStartSlide;
    drawPicture(2);
}

void MainWindow::onMouseUp(int button, int, double, double) {
    if (button != 2) return;
    toggleFitMode();
}

void MainWindow::layOut() {
    if (!isMinimized()) {
        QWidget* client = centralWidget();
        const ViewGeometry::MainLayout l = ViewGeometry::ComputeLayout(client->width(), client->height());
        statusLabel_->setGeometry(l.status);
        overviewPanel_->setGeometry(l.overview);
        imageView_->setGeometry(l.view);
        SlideX = ViewGeometry::ResizeClampAxis(SlideX, picture_.width(), l.view.width());
        SlideY = ViewGeometry::ResizeClampAxis(SlideY, picture_.height(), l.view.height());
    }
    drawPicture(1);
}
