#pragma once
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class FileSystem;
class FolderOpener;
class MsgBox;
class PictureLoader;
class QWidget;
class SortingSession;

// Opens the paths the window is given from outside: the command line's, one a second start of
// the program hands over, a dropped one.
class PathOpener : public QObject {
public:
    // `statusChanged` redraws the status bar after a handed path was opened; `msgBox` may be
    // null (no message then). `fileSystem` tells folders from files.
    PathOpener(SortingSession& session, FolderOpener& folders, PictureLoader& loader, QWidget& window,
               FileSystem& fileSystem, MsgBox* msgBox, std::function<void()> statusChanged);

    // Opens `path` as a folder when it is one, else as a single image file; then draws. Passed
    // over while a folder is being listed: that folder comes first. A picture the options
    // leave out (an extended ending with extraFormats off) is not opened but told about.
    void openPath(const QString& path);
    // Opens a path given on the command line (empty: none); a path that is neither an existing
    // regular file nor an existing folder is reported ("指定のパスが見つかりません").
    void openGiven(QString path);
    // The same for a path a second start of the program handed over, once no question, dialog
    // or listing is running, so nothing waiting on one finds the list changed under it; then
    // the window comes to the front. The latest path wins.
    void openHanded(const QString& path);
    // The window has begun to close: it takes no handed path any more.
    void stopTakingHandedPaths() { stopped_ = true; }
    bool takesHandedPaths() const { return !stopped_; }

private:
    void openHandedWhenFree();

    SortingSession& session_;
    FolderOpener& folders_;
    PictureLoader& loader_;
    QWidget& window_;
    FileSystem& fs_;
    MsgBox* msgBox_;
    std::function<void()> statusChanged_;
    std::optional<QString> handedPath_;
    bool stopped_ = false;
};
