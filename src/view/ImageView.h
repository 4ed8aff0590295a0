#pragma once
#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

// The visible view. It keeps a backing pixmap that survives between paints, as the view has
// always kept what was drawn into it; painting copies the pixmap to the screen.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    // The background colour of the window, the view and the status bar.
    static QColor background() { return QColor(255, 224, 192); }

    QPixmap& backing() { return backing_; }
    // Fills the backing pixmap with the background colour.
    void clearBacking();
    // Copies `image` pixel for pixel with its top-left corner at (x, y), clipped to the view.
    void drawActualSize(const QImage& image, int x, int y);
    // The same for a reduced `image` of a picture of `natural` size, enlarged to it.
    void drawEnlarged(const QImage& image, const QSize& natural, int x, int y);
    // Copies the whole of `image` scaled to `size` at (0, 0). The last scaled copy is kept, so
    // redrawing the same image at the same size (a resize of the window's other edge, a
    // repeated toggle) does not scale it again.
    void drawStretched(const QImage& image, const QSize& size);

    // The buttons the mouse signals tell: left, right and middle; any other (back, forward)
    // is left out, so a drag with the left button goes on whatever else is held.
    static Qt::MouseButtons toldButtons(Qt::MouseButtons buttons);

signals:
    // At the end of each paint of the view.
    void painted();
    // `buttons` is the button pressed or released; for a move, the buttons held. `at` is in
    // the view's coordinates.
    void mouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    void mouseUp(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ensureBacking();

    QPixmap backing_;
    QImage scaled_;
    qint64 scaledKey_ = 0;
};
