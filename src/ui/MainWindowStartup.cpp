// Start-up and shutdown of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <cmath>
#include <functional>

#include "platform/FileSystem.h"
#include "ui/LibraryMessages.h"
#include "ui/MainWindow.h"
#include "platform/MsgBox.h"
#include "ui/PageReportWindow.h"
#include "ui/PathOpener.h"
#include "view/PictureLoader.h"
#include "ui/SessionSettings.h"
#include "core/TransferMessages.h"
#include "ui/TransferRecordWindow.h"
#include "view/ViewGeometry.h"
#include "ui/WindowPlacing.h"

namespace {
// Runs `exposed` at each expose of the window it watches: a window manager frames a window
// before it maps it, and the client area itself need not move when the frame is put round it.
class ExposeWatcher : public QObject {
public:
    ExposeWatcher(QObject* parent, std::function<void()> exposed) : QObject(parent), exposed_(std::move(exposed)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose) exposed_();
        return false;
    }

private:
    std::function<void()> exposed_;
};
}  // namespace

void MainWindow::startUp() {
    // Every relative path of the program (config/, dll/ifPNG.spi) resolves against its folder.
    QDir::setCurrent(programDir_);
    FileSystem& fs = *services_.fileSystem;
    if (const std::optional<WindowPlacement> placement = SessionSettings::load(settings_, session_, fs)) {
        const QRect r = WindowPlacing::rectOnThisDesktop(*placement);
        if (!r.isEmpty()) {
            setGeometry(r);
            // A window that starts minimised can be unreachable on some desktops: only
            // maximised is restored as such.
            startMaximized_ = (placement->show == WindowShow::Maximized);
        }
    }
    // Where an earlier run ended mid-way left a temporary (a copy, or a replaced file set
    // aside), the user learns where it lies.
    showMessage(Transfer::leftoverTemporariesNotice(fs.leftoverTemporaries()));
    placeWidgets();  // the panel's kept width
    loader_->expectViewWhileLoading(expectedViewSize());
    opener_->openGiven(startPath_);
    loader_->expectViewWhileLoading(QSize());
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
    const int overview = ViewGeometry::overviewWidthFor(options().panelWidth, client.width());
    return ViewGeometry::computeLayout(client.width(), client.height(), overview).view.size();
}

void MainWindow::showAtSavedPlace() {
    // The saved placement is the client area, so a window at the top of the screen would have
    // its title bar above it; how large the frame is shows only once the window is framed.
    frameCheckPending_ = !startMaximized_;
    if (startMaximized_)
        showMaximized();
    else
        show();
    if (frameCheckPending_ && windowHandle()) {
        windowHandle()->installEventFilter(new ExposeWatcher(this, [this] {
            // Moved after the expose is handled, not from within it.
            QMetaObject::invokeMethod(this, &MainWindow::bringFrameOnScreen, Qt::QueuedConnection);
        }));
    }
}

void MainWindow::bringFrameOnScreen() {
    if (!frameCheckPending_ || !isVisible() || windowState() != Qt::WindowNoState) return;
    const QRect client = geometry();
    const QRect frame = frameGeometry();
    if (frame == client) return;  // not framed yet, or no window manager: nothing to keep in
    frameCheckPending_ = false;
    const QScreen* where = screen();
    if (!where) return;
    QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                     frame.bottom() - client.bottom());
    // At a fractional scale the margins come rounded to whole points: a point more each way
    // keeps the last pixel of the frame on the screen too.
    if (devicePixelRatioF() != std::floor(devicePixelRatioF())) margins += QMargins(1, 1, 1, 1);
    const QRect fitted = WindowPlacing::clientWithFrameInside(client, margins, where->availableGeometry());
    if (fitted != client) setGeometry(fitted);
}

void MainWindow::shutDown() {
    if (closed_) return;
    closed_ = true;
    opener_->stopTakingHandedPaths();
    PageReportWindow::closeAll();
    if (recordWindow_) recordWindow_->close();
    reportSaveFailures(*services_.msgBox,
                       settings_.saveOnClose(options(), library(), WindowPlacing::placementOf(*this)));
}
