// Opening files and folders, the image list and stepping through it.
#include <QApplication>
#include <QDir>
#include <QMetaObject>
#include <QTimer>

#include <chrono>
#include <future>
#include <system_error>

#include "DesktopFolders.h"
#include "FileList.h"
#include "Form1.h"
#include "MsgBox.h"
#include "Pickers.h"

namespace {
// Relative paths name places under the working directory (the program's directory); the list
// and its comparisons work on absolute ones.
QString Absolute(const QString& path) {
    return path.startsWith(QLatin1Char('/')) ? path : QDir::current().absoluteFilePath(path);
}
}  // namespace

void Form1::OpenCommandLineTarget() { OpenGivenPath(startPath_); }

void Form1::OpenHandedPath(const QString& path) {
    handedPath_ = path;
    OpenHandedWhenFree();
}

void Form1::OpenHandedWhenFree() {
    if (!handedPath_ || unloaded_) return;
    // A transfer waiting on the overwrite question must find the list as it left it; a modal
    // dialog or a folder being listed likewise comes first. Checked again shortly.
    if (listing_ || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(100, this, &Form1::OpenHandedWhenFree);
        return;
    }
    const QString path = *handedPath_;
    handedPath_.reset();
    // Out of the task bar in the state it had (maximised stays maximised).
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    OpenGivenPath(path);
    UpdateStatusBar();
}

void Form1::OpenGivenPath(QString path) {
    if (path.isEmpty()) return;
    if (!FileList::IsRegularFile(path)) {
        path = FileList::WithSlash(path);
        if (!FileList::IsDirectory(path)) {
            if (services_.msgBox)
                services_.msgBox->Show(QStringLiteral("指定のパスが見つかりません"),
                                       QStringLiteral("パラメータ判定"), MsgButtons::Ok);
            return;
        }
    }
    OpenPath(path);
}

void Form1::OpenPath(const QString& path) {
    if (listing_) return;  // a drop while a slow folder is read: that folder comes first
    if (FileList::IsDirectory(path))
        OpenFolder(path);
    else
        OpenFile(path);
    DrawImage(0);
}

void Form1::OpenFile(const QString& given) {
    if (listing_) return;
    if (given.isEmpty() || !FileList::IsImageFileName(given, state_.PngPluginAvailable)) return;
    const QString path = Absolute(given);
    state_.CurrentFolder = FileList::ParentFolder(path);
    BuildFileList();
    const QString position = FileList::FindInFileList(state_, path);
    if (!position.isEmpty()) {
        state_.CurrentIndex = position.toInt();
        LoadOrShowFailure(path);
    } else {
        // Not in the list (another letter case, not a regular file, gone): the first entry,
        // as opening the folder shows, so the position always names a listed file.
        ShowFirstFile();
    }
}

void Form1::ShowFirstFile() {
    if (state_.FileCount > 0) {
        state_.CurrentIndex = 1;
        LoadOrShowFailure(state_.CurrentPath());
    } else {
        state_.CurrentIndex = 0;
        state_.ImageShown = false;
        LoadImageFile(QString());
    }
}

void Form1::OpenFolder(const QString& given) {
    // An empty path names no folder (an unassigned slot); the open folder stays.
    if (given.isEmpty() || listing_) return;
    state_.CurrentFolder = FileList::WithSlash(Absolute(given));
    BuildFileList();
    ShowFirstFile();
}

void Form1::BuildFileList() {
    state_.CurrentFolder = FileList::WithSlash(state_.CurrentFolder);
    state_.FileList = ListFolderResponsively(state_.CurrentFolder);
    state_.FileCount = static_cast<int32_t>(state_.FileList.size());
}

QStringList Form1::ListFolderResponsively(const QString& folder) {
    const bool png = state_.PngPluginAvailable;
    auto lister = services_.listFolder;
    if (!lister) lister = [](const QString& f, bool p) { return FileList::ListImageFiles(f, p); };
    std::future<QStringList> listed;
    try {
        listed = std::async(std::launch::async, lister, folder, png);
    } catch (const std::system_error&) {
        return lister(folder, png);  // no thread to be had: read it here, as before
    }
    // A local folder of 50,000 files lists in a few tens of milliseconds, well within this;
    // then nothing else runs meanwhile, as if the list had been read here.
    if (listed.wait_for(std::chrono::milliseconds(150)) == std::future_status::ready) return listed.get();

    // Slow storage (a network share, a waking disk): the window goes on painting, resizing and
    // being moved while the worker reads. Keys and clicks wait in the queue until the list is
    // there, as they would for a window that was busy; nothing else of the window's runs.
    listing_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (listed.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 15);
        listed.wait_for(std::chrono::milliseconds(15));
    }
    QApplication::restoreOverrideCursor();
    listing_ = false;
    if (closeWaiting_) {
        closeWaiting_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return listed.get();
}

void Form1::StepToNextFile() { StepFile(+1); }

void Form1::StepToPreviousFile() { StepFile(-1); }

void Form1::StepFile(int direction) {
    if (state_.FileCount <= 0) return;
    if (SkipHeldStep(direction)) return;
    if (state_.CopiedFlag) {
        state_.CopiedFlag = false;
        UpdateStatusBar();
    }
    // The status bar is painted before a slow decode starts, without running other events.
    bar_->repaint();
    state_.CurrentIndex = direction > 0 ? FileList::NextIndex(state_.CurrentIndex, state_.FileCount)
                                        : FileList::PreviousIndex(state_.CurrentIndex, state_.FileCount);
    if (!LoadImageFile(state_.CurrentPath())) {
        ShowLoadFailure();
        return;
    }
    state_.ImageShown = true;
    UpdateStatusBar();
}

void Form1::RemoveCurrentFromList() {
    const QString next = FileList::RemoveCurrent(state_);
    if (!next.isEmpty()) {
        LoadOrShowFailure(next);
    } else if (state_.FileCount == 0) {
        state_.ImageShown = false;
        LoadImageFile(QString());
    }
}

void Form1::m_OpenFile() {
    if (!services_.pickers) return;
    const QString filter = state_.PngPluginAvailable
                               ? QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png)")
                               : QStringLiteral("イメージファイル (*.bmp *.jpg *.gif)");
    const QString name = services_.pickers->GetOpenFileName(this, filter);
    if (name.isEmpty()) return;
    OpenFile(name);
    UpdateStatusBar();
}

void Form1::m_OpenFolder() {
    if (!services_.pickers) return;
    const std::optional<QString> chosen = DesktopFolders::BrowseForFolderPath(*services_.pickers, this);
    if (!chosen || chosen->isEmpty()) return;
    OpenFolder(*chosen);
    UpdateStatusBar();
}
