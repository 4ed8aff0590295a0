#pragma once
#include <QString>
#include <QStringList>

#include <functional>

// Lists a folder for the session on a worker thread. A folder read within 150 ms is simply
// returned, as if it had been read here; a slower one (a network share, a waking disk) lets
// the window go on painting, resizing and being moved meanwhile. Keys and clicks wait in the
// queue until the list is there, as they would for a window that was busy.
class ResponsiveFolderLister {
public:
    using ListFolder =
        std::function<QStringList(const QString& folder, bool pngPluginAvailable, bool extraFormats,
                                  bool companions)>;
    explicit ResponsiveFolderLister(ListFolder listFolder);

    QStringList list(const QString& folder, bool pngPluginAvailable, bool extraFormats,
                     bool companions = false);

private:
    ListFolder listFolder_;
};
