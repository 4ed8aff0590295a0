// Opening files and folders, the image list and stepping through it.
#include <QApplication>
#include <QDir>
#include <QMetaObject>
#include <QTimer>

#include <chrono>
#include <future>
#include <system_error>

#include "DesktopFolders.h"
#include "FileSystem.h"
#include "ImageList.h"
#include "MainWindow.h"
#include "MsgBox.h"
#include "Pickers.h"


void MainWindow::OpenCommandLineTarget() { OpenGivenPath(startPath_); }

void MainWindow::OpenHandedPath(const QString& path) {
    handedPath_ = path;
    OpenHandedWhenFree();
}

void MainWindow::OpenHandedWhenFree() {
    if (!handedPath_ || unloaded_) return;
    // A transfer waiting on the overwrite question must find the list as it left it; a modal
    // dialog or a folder being listed likewise comes first. Checked again shortly.
    if (session_.listing() || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(100, this, &MainWindow::OpenHandedWhenFree);
        return;
    }
    const QString path = *handedPath_;
    handedPath_.reset();
    // Out of the task bar in the state it had (maximised stays maximised).
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    OpenGivenPath(path);
    updateStatusText();
}

void MainWindow::OpenGivenPath(QString path) {
    if (path.isEmpty()) return;
    PosixFileSystem fs;
    if (!fs.IsRegularFile(path)) {
        path = FsPath::WithSlash(path);
        if (!fs.IsDirectory(path)) {
            if (services_.msgBox)
                services_.msgBox->Show(QStringLiteral("指定のパスが見つかりません"),
                                       QStringLiteral("パラメータ判定"), MsgButtons::Ok);
            return;
        }
    }
    OpenPath(path);
}

void MainWindow::OpenPath(const QString& path) {
    if (session_.listing()) return;  // a drop while a slow folder is read: that folder comes first
    if (PosixFileSystem().IsDirectory(path))
        openFolderAt(path);
    else
        openFileAt(path);
    drawPicture(0);
}

void MainWindow::openFileAt(const QString& path) {
    session_.openFile(path);
}

void MainWindow::openFolderAt(const QString& path) {
    session_.openFolder(path);
}

QStringList MainWindow::ListFolderResponsively(const QString& folder, bool png) {
    auto lister = services_.listFolder;
    if (!lister) lister = &ImageList::listFolder;
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (listed.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 15);
        listed.wait_for(std::chrono::milliseconds(15));
    }
    QApplication::restoreOverrideCursor();
    if (closeWaiting_) {
        closeWaiting_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return listed.get();
}

void MainWindow::nextFile() { StepFile(+1); }

void MainWindow::previousFile() { StepFile(-1); }

void MainWindow::StepFile(int direction) {
    if (session_.list().count() <= 0) return;
    if (SkipHeldStep(direction)) return;
    if (direction > 0)
        session_.nextFile();
    else
        session_.previousFile();
}

void MainWindow::openFile() {
    if (!services_.pickers) return;
    const QString filter = session_.pngPluginAvailable()
                               ? QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png)")
                               : QStringLiteral("イメージファイル (*.bmp *.jpg *.gif)");
    const QString name = services_.pickers->GetOpenFileName(this, filter);
    if (name.isEmpty()) return;
    openFileAt(name);
    updateStatusText();
}

void MainWindow::openFolder() {
    if (!services_.pickers) return;
    const std::optional<QString> chosen = DesktopFolders::BrowseForFolderPath(*services_.pickers, this);
    if (!chosen || chosen->isEmpty()) return;
    openFolderAt(*chosen);
    updateStatusText();
}
