#include "ui/OverviewPanel.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolTip>

PanelEdge::PanelEdge(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panelEdge"));
    setCursor(Qt::SplitHCursor);
    setToolTip(QStringLiteral("ドラッグで一覧の幅を変えられます"));
}

int PanelEdge::edgeAt(QMouseEvent* event) const {
    return mapToParent(event->position().toPoint()).x() - grabOffset_;
}

void PanelEdge::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    grabOffset_ = event->position().toPoint().x();
}

void PanelEdge::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) emit dragged(edgeAt(event));
}

void PanelEdge::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    emit dragged(edgeAt(event));
}

LineToolTips::LineToolTips(QPlainTextEdit* box, std::function<QString(int)> textFor)
    : QObject(box), box_(box), viewport_(box->viewport()), textFor_(std::move(textFor)) {
    viewport_->installEventFilter(this);
}

bool LineToolTips::eventFilter(QObject* watched, QEvent* event) {
    // Compared with the viewport kept: events come while the box is being taken down too.
    if (event->type() != QEvent::ToolTip || watched != viewport_) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const QTextCursor at = box_->cursorForPosition(help->pos());
    // Below the last line the nearest cursor is still on it: only a line under the mouse counts.
    const QRect line = box_->cursorRect(at);
    const bool onLine = help->pos().y() >= line.top() && help->pos().y() <= line.bottom();
    const QString text = onLine ? textFor_(at.blockNumber()) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport_);
    return true;
}
