// Drag and drop of files and folders onto the window and its controls, and the overview panel
// handing the focus on to the view.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "FileSystem.h"
#include "ImageView.h"
#include "ImageList.h"
#include "MainWindow.h"

namespace {
// The first dropped item as a local path; empty when it is no local file.
QString FirstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

// One filter serves the window, the status label, the image view and the overview panel (and
// the panel's viewport, which is what receives a text box's drag events), so every one of them
// takes the same drops.
class DropFilter : public QObject {
public:
    DropFilter(MainWindow* form, QWidget* overviewPanel) : QObject(form), form_(form), overviewPanel_(overviewPanel) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* e = static_cast<QDragMoveEvent*>(event);
                if (form_->AcceptsDrop(e->mimeData())) {
                    e->setDropAction(Qt::CopyAction);
                    e->accept();
                } else {
                    e->setDropAction(Qt::IgnoreAction);
                    e->ignore();
                }
                return true;
            }
            case QEvent::Drop: {
                auto* e = static_cast<QDropEvent*>(event);
                const bool accepted = form_->AcceptsDrop(e->mimeData());
                if (accepted) {
                    e->setDropAction(Qt::CopyAction);
                    e->accept();
                } else {
                    e->ignore();
                }
                // Opening after accepting: the source's drag loop ends first.
                if (accepted) form_->DropData(e->mimeData());
                return true;
            }
            case QEvent::FocusIn:
                // The overview never keeps the keyboard: the view's keys carry the commands.
                if (watched == overviewPanel_) form_->imageView()->setFocus(Qt::OtherFocusReason);
                return false;
            default:
                return false;
        }
    }

private:
    MainWindow* form_;
    QWidget* overviewPanel_;
};
}  // namespace

void MainWindow::InstallDropHandling() {
    auto* filter = new DropFilter(this, overviewPanel_);
    QWidget* targets[] = {this, statusLabel_, imageView_, overviewPanel_, overviewPanel_->viewport()};
    for (QWidget* w : targets) {
        w->setAcceptDrops(true);
        w->installEventFilter(filter);
    }
}

bool MainWindow::AcceptsDrop(const QMimeData* data) const {
    const QString path = FirstDroppedPath(data);
    PosixFileSystem fs;
    if (path.isEmpty() || !fs.Exists(path)) return false;
    return fs.IsDirectory(path) || ImageList::isImageFileName(path, session_.pngPluginAvailable());
}

void MainWindow::DropData(const QMimeData* data) {
    if (!AcceptsDrop(data)) return;
    OpenPath(FirstDroppedPath(data));
    updateStatusText();
}
