#include "ui/PathOpener.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "platform/FileSystem.h"
#include "ui/FolderOpener.h"
#include "platform/ImageNames.h"
#include "platform/MsgBox.h"
#include "view/PictureLoader.h"
#include "core/SortingSession.h"

PathOpener::PathOpener(SortingSession& session, FolderOpener& folders, PictureLoader& loader, QWidget& window,
                       FileSystem& fileSystem, MsgBox* msgBox, std::function<void()> statusChanged)
    : session_(session), folders_(folders), loader_(loader), window_(window), fs_(fileSystem), msgBox_(msgBox),
      statusChanged_(std::move(statusChanged)) {}

void PathOpener::openPath(const QString& path) {
    if (folders_.listing()) return;
    if (fs_.isDirectory(path)) {
        folders_.openFolder(path);
    } else if (!session_.options().extraFormats && ImageNames::hasExtendedEnding(path)) {
        if (msgBox_)
            msgBox_->ask(QStringLiteral("この形式の画像は表示の対象外です。設定 > オプション で対象にできます"));
        return;
    } else {
        folders_.openFile(path);
    }
    loader_.drawAfresh();
}

void PathOpener::openGiven(QString path) {
    if (path.isEmpty()) return;
    if (!fs_.isRegularFile(path)) {
        path = FsPath::withSlash(path);
        if (!fs_.isDirectory(path)) {
            if (msgBox_)
                msgBox_->ask(QStringLiteral("指定のパスが見つかりません"), QStringLiteral("パラメータ判定"),
                              MsgButtons::Ok);
            return;
        }
    }
    openPath(path);
}

void PathOpener::openHanded(const QString& path) {
    handedPath_ = path;
    openHandedWhenFree();
}

void PathOpener::openHandedWhenFree() {
    if (!handedPath_ || stopped_) return;
    // A transfer waiting on the overwrite question must find the list as it left it; a modal
    // dialog or a folder being listed likewise comes first. Checked again shortly.
    if (folders_.listing() || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(100, this, &PathOpener::openHandedWhenFree);
        return;
    }
    const QString path = *handedPath_;
    handedPath_.reset();
    // Out of the task bar in the state it had (maximised stays maximised).
    if (window_.isMinimized()) window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.raise();
    window_.activateWindow();
    openGiven(path);
    statusChanged_();
}
