// Start-up and shutdown of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "LibraryMessages.h"
#include "MainWindow.h"
#include "MsgBox.h"
#include "PageReportWindow.h"
#include "PathOpener.h"
#include "PictureFeed.h"
#include "SessionSettings.h"
#include "ViewGeometry.h"
#include "WindowPlacing.h"

void MainWindow::startUp() {
    // Every relative path of the program (config/, dll/ifPNG.spi) resolves against its folder.
    QDir::setCurrent(programDir_);
    if (const std::optional<WindowPlacement> placement = SessionSettings::load(settings_, session_)) {
        const QRect r = WindowPlacing::rectOnThisDesktop(*placement);
        if (!r.isEmpty()) {
            setGeometry(r);
            // A window that starts minimised can be unreachable on some desktops: only
            // maximised is restored as such.
            startMaximized_ = (placement->showCmd == 3);
        }
    }
    feed_->expectViewWhileLoading(expectedViewSize());
    opener_->openGiven(startPath_);
    feed_->expectViewWhileLoading(QSize());
    updateStatusText();
    showOverview();
}

QSize MainWindow::expectedViewSize() const {
    // The window's client area below the menu bar, as the layout will divide it; a window that
    // starts maximised gets at most the screen's.
    QSize client = size();
    if (startMaximized_)
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            client = screen->availableGeometry().size();
    client.rheight() -= menuBar()->sizeHint().height();
    return ViewGeometry::computeLayout(client.width(), client.height()).view.size();
}

void MainWindow::showAsPlaced() {
    if (startMaximized_)
        showMaximized();
    else
        show();
}

void MainWindow::shutDown() {
    if (unloaded_) return;
    unloaded_ = true;
    opener_->stopTakingHandedPaths();
    PageReportWindow::unloadAll();
    reportSaveFailures(*services_.msgBox,
                       settings_.saveOnClose(options(), library(), WindowPlacing::placementOf(*this)));
}
