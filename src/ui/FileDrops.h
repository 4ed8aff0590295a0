#pragma once
#include <QObject>
#include <QString>

#include <functional>

class FileSystem;
class QMimeData;
class QWidget;

// Takes drops of files and folders onto the window and its controls: only an existing folder,
// or an existing image file (ImageNames::isOpenable with every ending on), named first in a
// list of local files is accepted (as a copy), and its path is handed on once the source's
// drag loop has ended.
class FileDrops : public QObject {
public:
    using Open = std::function<void(const QString& path)>;
    // `fileSystem` tells whether a dropped path exists and is a folder.
    FileDrops(FileSystem& fileSystem, std::function<bool()> pngPluginAvailable, Open open);

    // Makes `target` take drops through this object.
    void takeDropsOn(QWidget* target);
    // The path a drop of `data` opens, or empty when it is not accepted.
    static QString acceptedPath(FileSystem& fs, const QMimeData* data, bool pngPluginAvailable);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FileSystem& fs_;
    std::function<bool()> pngPluginAvailable_;
    Open open_;
};
