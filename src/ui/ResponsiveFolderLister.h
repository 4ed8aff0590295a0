#pragma once
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

// Lists a folder for the session on a worker thread. A folder read within 150 ms is simply
// returned, as if it had been read here; a slower one (a network share, a waking disk) lets
// the window go on painting, resizing and being moved meanwhile. Keys and clicks wait in the
// queue until the list is there, as they would for a window that was busy.
class ResponsiveFolderLister {
public:
    using ListFolder = std::function<QStringList(const QString& folder, bool pngPluginAvailable)>;
    // `listFolder` empty: ImageList::listFolder. `window` is closed by closeWhenListed.
    ResponsiveFolderLister(ListFolder listFolder, QWidget* window);

    QStringList list(const QString& folder, bool pngPluginAvailable);
    // The window was asked to close while a folder is read: the list belongs to it, so the
    // close comes once the list is there.
    void closeWhenListed() { closeWaiting_ = true; }

private:
    ListFolder listFolder_;
    QPointer<QWidget> window_;
    bool closeWaiting_ = false;
};
