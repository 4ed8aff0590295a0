#include "view/ImageView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void ImageView::ensureBacking() {
    const QSize want = size().expandedTo(QSize(1, 1));
    if (backing_.size() == want) return;
    QPixmap grown(want);
    grown.fill(background());
    if (!backing_.isNull()) {
        QPainter p(&grown);
        p.drawPixmap(0, 0, backing_);
    }
    backing_ = grown;
}

void ImageView::clearBacking() {
    ensureBacking();
    backing_.fill(background());
    update();
}

void ImageView::drawActualSize(const QImage& image, int x, int y) {
    ensureBacking();
    QPainter p(&backing_);
    p.drawImage(QPoint(x, y), image);
    update();
}

void ImageView::drawEnlarged(const QImage& image, const QSize& natural, int x, int y) {
    ensureBacking();
    QPainter p(&backing_);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(x, y), natural), image);
    update();
}

void ImageView::drawStretched(const QImage& image, const QSize& size) {
    ensureBacking();
    if (size.width() <= 0 || size.height() <= 0 || image.isNull()) return;
    if (scaled_.size() != size || scaledKey_ != image.cacheKey()) {
        scaled_ = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaledKey_ = image.cacheKey();
    }
    QPainter p(&backing_);
    p.drawImage(QPoint(0, 0), scaled_);
    update();
}

Qt::MouseButtons ImageView::toldButtons(Qt::MouseButtons buttons) {
    return buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background());
    if (!backing_.isNull()) p.drawPixmap(0, 0, backing_);
    p.end();
    emit painted();
}

void ImageView::resizeEvent(QResizeEvent* event) {
    // Keep what was drawn; a larger view shows background where nothing was drawn yet.
    ensureBacking();
    QWidget::resizeEvent(event);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(toldButtons(event->button()), event->modifiers(), event->position());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(toldButtons(event->buttons()), event->modifiers(), event->position());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(toldButtons(event->button()), event->modifiers(), event->position());
}
