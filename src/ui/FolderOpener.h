#pragma once
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "ui/ResponsiveFolderLister.h"

class QObject;
class SortingSession;

// Opens folders for the session: the folder is listed here, on a worker while the window goes
// on painting (ResponsiveFolderLister), and only then are the names handed to the session, so
// no listing runs inside a session command. It is also the one guard against what the window
// still runs while it waits (a dropped or handed path, a close): nothing opens while a list is
// read, and work put off until then runs after the session took the list.
class FolderOpener {
public:
    FolderOpener(SortingSession& session, ResponsiveFolderLister::ListFolder listFolder);

    // A folder is being listed.
    bool listing() const { return listing_; }
    // Opens `path` as a folder and shows its first file; empty (an unassigned slot) or while
    // listing, nothing.
    void openFolder(const QString& path);
    // Opens the folder of the image file `path` and shows it (see
    // SortingSession::openListedFolder); names the session does not open are ignored.
    void openFile(const QString& path);
    // Lists the open folder again (the options changed what is listed); see
    // SortingSession::takeRelisted. Nothing without a folder.
    void relist();
    // Runs `then`, queued on `context`, once no folder is being listed (after the session took
    // the list). A later call while listing replaces the one waiting.
    void whenIdle(QObject* context, std::function<void()> then);

private:
    // The names of `folder`; none while a folder is listed already.
    std::optional<QStringList> list(const QString& folder);
    void runWaiting();

    SortingSession& session_;
    ResponsiveFolderLister lister_;
    bool listing_ = false;
    QObject* idleContext_ = nullptr;
    std::function<void()> whenIdle_;
};
