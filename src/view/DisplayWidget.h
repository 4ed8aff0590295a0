#pragma once
#include <QPixmap>
#include <QWidget>

// The visible view. It keeps a backing pixmap that survives between paints, as the view has
// always kept what was drawn into it; painting copies the pixmap to the screen.
class DisplayWidget : public QWidget {
    Q_OBJECT
public:
    explicit DisplayWidget(QWidget* parent = nullptr);

    // The background colour of the window, the view and the status bar.
    static QColor Background() { return QColor(255, 224, 192); }

    QPixmap& backing() { return backing_; }
    // Fills the backing pixmap with the background colour.
    void clearBacking();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap backing_;
};
