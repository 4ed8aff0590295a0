// The view: loading the picture, drawing it, sliding it, the mouse and the layout.
#include <QImage>

#include "ImageView.h"
#include "Form1.h"
#include "PngPlugin.h"
#include "PictureDecoder.h"
#include "Prefetcher.h"
#include "ViewGeometry.h"

void Form1::ConnectView() {
    connect(display_, &ImageView::mouseDown, this, &Form1::Display_MouseDown);
    connect(display_, &ImageView::mouseMove, this, &Form1::Display_MouseMove);
    connect(display_, &ImageView::mouseUp, this, &Form1::Display_MouseUp);
}

void Form1::ShowShownFile() {
    // The status bar is painted before a slow decode starts, without running other events.
    bar_->repaint();
    const QString path = session_.list().shownPath();
    if (path.isEmpty())
        LoadImageFile(QString());
    else
        LoadOrShowFailure(path);
}

bool Form1::LoadImageFile(const QString& path) {
    if (path.isEmpty()) {
        picture1_ = PictureBuffer();
        display_->clearBacking();
        return true;
    }
    SlideX = 0;
    SlideY = 0;
    picture1_ = PictureBuffer();

    // The picture may have been decoded ahead (Form1Prefetch.cpp); the flags follow the same
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
        picture1_ = PictureBuffer();
        PrefetchAround();
        return false;
    }
    picture1_ = picture.picture;
    session_.pictureShown();
    DrawImage(0);
    PrefetchAround();
    return true;
}

void Form1::ShowLoadFailure() {
    session_.pictureFailed();
    LoadImageFile(QString());
    UpdateStatusBar();
}

void Form1::LoadOrShowFailure(const QString& path) {
    if (!LoadImageFile(path)) ShowLoadFailure();
}

void Form1::DrawImage(int32_t RedrawKind) {
    if (!session_.imageShown()) return;
    if (RedrawKind == 0) display_->clearBacking();
    if (options().fitToView) {
        const Qt::WindowStates ws = windowState();
        if (!(ws & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            display_->clearBacking();
        const std::optional<QSize> dest = ViewGeometry::StretchSize(
            picture1_.width(), picture1_.height(), display_->width(), display_->height());
        if (!dest) return;
        EnsurePixels(&*dest);
        const QImage* ready = picture1_.stretchedTo(*dest);
        display_->drawStretched(ready ? *ready : picture1_.pixels(), *dest);
    } else {
        // Actual size always shows the full-resolution picture.
        EnsurePixels(nullptr);
        display_->drawActualSize(picture1_.pixels(), SlideX, SlideY);
    }
    // No pending events are run here: the repaint is scheduled, so key handlers never nest.
    display_->update();
}

void Form1::SlideImage() {
    const auto& k = SlideKeys;  // Left, Up, Right, Down, Shift
    const int32_t step = k[4] ? 90 : 30;
    SlideX = ViewGeometry::SlideAxis(SlideX, k[0], k[2], step, picture1_.width(), display_->width());
    SlideY = ViewGeometry::SlideAxis(SlideY, k[1], k[3], step, picture1_.height(), display_->height());
    DrawImage(2);
}

void Form1::ToggleFullMode() { session_.toggleFitMode(); }

void Form1::Display_MouseDown(int, int, double x, double y) {
    if (options().fitToView) return;
    DragStartSlideX = SlideX;
    DragStartSlideY = SlideY;
    DragStartX = static_cast<int32_t>(ViewGeometry::RoundHalfEven(x));
    DragStartY = static_cast<int32_t>(ViewGeometry::RoundHalfEven(y));
}

void Form1::Display_MouseMove(int button, int, double x, double y) {
    if (options().fitToView || button != 1) return;
    ViewGeometry::DragAxis h{SlideX, DragStartX, DragStartSlideX};
    h = ViewGeometry::DragMoveAxis(h, x, picture1_.width(), display_->width());
    SlideX = h.slide;
    DragStartX = h.dragStart;
    DragStartSlideX = h.dragStartSlide;
    ViewGeometry::DragAxis v{SlideY, DragStartY, DragStartSlideY};
    v = ViewGeometry::DragMoveAxis(v, y, picture1_.height(), display_->height());
    SlideY = v.slide;
    DragStartY = v.dragStart;
    DragStartSlideY = v.dragStartSlide;
    DrawImage(2);
}

void Form1::Display_MouseUp(int button, int, double, double) {
    if (button != 2) return;
    ToggleFullMode();
}

void Form1::Form_Resize() {
    if (!isMinimized()) {
        QWidget* client = centralWidget();
        const ViewGeometry::MainLayout l = ViewGeometry::ComputeLayout(client->width(), client->height());
        bar_->setGeometry(l.status);
        text1_->setGeometry(l.overview);
        display_->setGeometry(l.view);
        SlideX = ViewGeometry::ResizeClampAxis(SlideX, picture1_.width(), l.view.width());
        SlideY = ViewGeometry::ResizeClampAxis(SlideY, picture1_.height(), l.view.height());
    }
    DrawImage(1);
}
