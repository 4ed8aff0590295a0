// Drag and drop of files and folders onto the window and its controls, and Text1 handing the
// focus on to the view.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "FileSystem.h"
#include "ImageView.h"
#include "ImageList.h"
#include "Form1.h"

namespace {
// The first dropped item as a local path; empty when it is no local file.
QString FirstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

// One filter serves the window, Bar, Display and Text1 (and Text1's viewport, which is what
// receives a text box's drag events), so every one of them takes the same drops.
class DropFilter : public QObject {
public:
    DropFilter(Form1* form, QWidget* text1) : QObject(form), form_(form), text1_(text1) {}

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
                if (watched == text1_) form_->display()->setFocus(Qt::OtherFocusReason);
                return false;
            default:
                return false;
        }
    }

private:
    Form1* form_;
    QWidget* text1_;
};
}  // namespace

void Form1::InstallDropHandling() {
    auto* filter = new DropFilter(this, text1_);
    QWidget* targets[] = {this, bar_, display_, text1_, text1_->viewport()};
    for (QWidget* w : targets) {
        w->setAcceptDrops(true);
        w->installEventFilter(filter);
    }
}

bool Form1::AcceptsDrop(const QMimeData* data) const {
    const QString path = FirstDroppedPath(data);
    PosixFileSystem fs;
    if (path.isEmpty() || !fs.Exists(path)) return false;
    return fs.IsDirectory(path) || ImageList::isImageFileName(path, session_.pngPluginAvailable());
}

void Form1::DropData(const QMimeData* data) {
    if (!AcceptsDrop(data)) return;
    OpenPath(FirstDroppedPath(data));
    UpdateStatusBar();
}
