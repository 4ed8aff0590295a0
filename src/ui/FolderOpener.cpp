#include "ui/FolderOpener.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

#include "core/SortingSession.h"

FolderOpener::FolderOpener(SortingSession& session, ResponsiveFolderLister::ListFolder listFolder)
    : session_(session), lister_(std::move(listFolder)) {}

std::optional<QStringList> FolderOpener::list(const QString& folder) {
    if (listing_) return std::nullopt;
    listing_ = true;
    QStringList names = lister_.list(folder, session_.pngPluginAvailable(), session_.options().extraFormats,
                                     session_.options().companions);
    listing_ = false;
    return names;
}

void FolderOpener::openFolder(const QString& path) {
    const QString folder = SortingSession::folderToList(path);
    if (folder.isEmpty() || listing_) return;
    if (const std::optional<QStringList> names = list(folder)) session_.openListedFolder(folder, *names);
    runWaiting();
}

void FolderOpener::openFile(const QString& path) {
    if (listing_) return;
    const QString folder = session_.folderToListFor(path);
    if (folder.isEmpty()) return;
    if (const std::optional<QStringList> names = list(folder)) session_.openListedFolder(folder, *names, path);
    runWaiting();
}

void FolderOpener::relist() {
    const QString folder = session_.list().folder();
    if (listing_ || folder.isEmpty()) return;
    if (const std::optional<QStringList> names = list(folder)) session_.takeRelisted(*names);
    runWaiting();
}

void FolderOpener::whenIdle(QObject* context, std::function<void()> then) {
    idleContext_ = context;
    whenIdle_ = std::move(then);
    if (!listing_) runWaiting();
}

void FolderOpener::runWaiting() {
    std::function<void()> then = std::exchange(whenIdle_, nullptr);
    // Queued: it comes after what the session's new list set off.
    if (then && idleContext_) QMetaObject::invokeMethod(idleContext_, std::move(then), Qt::QueuedConnection);
}
