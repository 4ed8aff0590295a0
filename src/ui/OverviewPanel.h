#pragma once
#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>

class QPlainTextEdit;

// The overview panel's right edge: a strip in the gap between the panel and the picture that
// the mouse drags to widen the panel. Tells each new edge column (in its parent's coordinates)
// while the left button is held.
class PanelEdge : public QWidget {
    Q_OBJECT
public:
    explicit PanelEdge(QWidget* parent);

signals:
    void dragged(int edgeX);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int edgeAt(QMouseEvent* event) const;
    int grabOffset_ = 0;  // where in the strip the mouse took hold
    bool dragging_ = false;
};

// Tool tips for the lines of a text box: `textFor(line)` gives the tip of the line under the
// mouse (lines from 0), empty for none.
class LineToolTips : public QObject {
public:
    LineToolTips(QPlainTextEdit* box, std::function<QString(int line)> textFor);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* box_;
    QWidget* viewport_;
    std::function<QString(int)> textFor_;
};
