#include "DisplayWidget.h"

#include <QPainter>
#include <QResizeEvent>

DisplayWidget::DisplayWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void DisplayWidget::clearBacking() {
    if (backing_.size() != size()) backing_ = QPixmap(size().expandedTo(QSize(1, 1)));
    backing_.fill(Background());
    update();
}

void DisplayWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Background());
    if (!backing_.isNull()) p.drawPixmap(0, 0, backing_);
}

void DisplayWidget::resizeEvent(QResizeEvent* event) {
    // Keep what was drawn; a larger view shows background where nothing was drawn yet.
    QPixmap grown(event->size().expandedTo(QSize(1, 1)));
    grown.fill(Background());
    if (!backing_.isNull()) {
        QPainter p(&grown);
        p.drawPixmap(0, 0, backing_);
    }
    backing_ = grown;
    QWidget::resizeEvent(event);
}
