#include "ui/FileDrops.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "platform/FileSystem.h"
#include "platform/ImageNames.h"

FileDrops::FileDrops(FileSystem& fileSystem, std::function<bool()> pngPluginAvailable, Open open)
    : fs_(fileSystem), pngPluginAvailable_(std::move(pngPluginAvailable)), open_(std::move(open)) {}

void FileDrops::takeDropsOn(QWidget* target) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

QString FileDrops::acceptedPath(FileSystem& fs, const QMimeData* data, bool pngPluginAvailable) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return QString();
    const QString path = urls.first().toLocalFile();
    if (path.isEmpty() || !fs.exists(path)) return QString();
    // Every picture ending is taken, whatever the options: one they leave out is answered with
    // a word on where to turn it on (PathOpener), not by a drag that silently bounces.
    if (fs.isDirectory(path) || ImageNames::isOpenable(path, pngPluginAvailable, true)) return path;
    return QString();
}

bool FileDrops::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (!acceptedPath(fs_, e->mimeData(), pngPluginAvailable_()).isEmpty()) {
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
            const QString path = acceptedPath(fs_, e->mimeData(), pngPluginAvailable_());
            if (path.isEmpty()) {
                e->ignore();
                return true;
            }
            e->setDropAction(Qt::CopyAction);
            e->accept();
            // Opening after accepting: the source's drag loop ends first.
            open_(path);
            return true;
        }
        default:
            return false;
    }
}
