// Start-up and shutdown of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>

#include "DesktopFolders.h"
#include "FileSystem.h"
#include "MainWindow.h"
#include "PageReportWindow.h"
#include "LibraryFiles.h"
#include "LibraryMessages.h"
#include "MsgBox.h"
#include "OptionFiles.h"

void MainWindow::startUp() {
    // Every relative path of the program (config/, dll/ifPNG.spi) resolves against its folder.
    QDir::setCurrent(programDir_);
    FolderLibrary& library = session_.library();
    library = FolderLibrary();
    LibraryFiles::loadPages(programDir_, library);
    LibraryFiles::loadFolders(programDir_, library);
    // Made before the renaming file is read, which may hold settings for its slots.
    if (library.pageCount() < 1) AddDefaultPage();
    session_.options() = Options();
    library.resetRenaming();
    LastRun lastRun;
    OptionFiles::loadOptions(programDir_, session_.options(), &lastRun);
    rememberedPage_ = lastRun.currentPage.value_or(0);
    if (lastRun.placement) ApplyPlacement(*lastRun.placement);
    OptionFiles::loadRenaming(programDir_, library);
    InitEnvironment();
    ExpectViewWhileLoading(true);
    OpenCommandLineTarget();
    ExpectViewWhileLoading(false);
    updateStatusText();
    showOverview();
}

void MainWindow::InitEnvironment() {
    PosixFileSystem fs;
    // Only a regular file can be loaded; anything else there (a folder, a pipe) is no plug-in.
    session_.resetModes(fs.IsRegularFile(QStringLiteral("dll/ifPNG.spi")));
    if (!fs.Exists(QStringLiteral("config/"))) QDir().mkdir(QStringLiteral("config"));

    if (library().pageCount() < 1) AddDefaultPage();
    library().settleCurrentPage(rememberedPage_);
}

void MainWindow::AddDefaultPage() {
    library().appendPage(QStringLiteral("新規ページ"));
    Page& page = library().page(library().pageCount() - 1);
    page.folderSlots[0].title = QStringLiteral("マイドキュメント");
    page.folderSlots[0].folder = DesktopFolders::DocumentsFolderPath();
    page.folderSlots[1].title = QStringLiteral("マイピクチャー");
    page.folderSlots[1].folder = DesktopFolders::PicturesFolderPath();
    for (Slot& slot : page.folderSlots) slot.nextNumber = 1;
}

void MainWindow::shutDown() {
    if (unloaded_) return;
    unloaded_ = true;
    PageReportWindow::UnloadAll();
    MsgBox& msg = *services_.msgBox;
    ReportSaveFailure(msg, OptionFiles::saveOptions(programDir_, options(), library().currentPage(),
                                                    CurrentPlacement()));
    ReportSaveFailure(msg, OptionFiles::saveRenaming(programDir_, library()));
}

WindowPlacement MainWindow::CurrentPlacement() const {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacement p;
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    p.showCmd = isMinimized() ? 2 : (isMaximized() ? 3 : 1);
    return p;
}

namespace {

// Overlap of two rectangles given by their edges (right and bottom exclusive), in 64 bits:
// a stored placement may hold any 32-bit numbers.
int64_t Overlap(int64_t l, int64_t t, int64_t r, int64_t b, const QRect& area) {
    const int64_t w = std::min<int64_t>(r, int64_t(area.x()) + area.width()) - std::max<int64_t>(l, area.x());
    const int64_t h = std::min<int64_t>(b, int64_t(area.y()) + area.height()) - std::max<int64_t>(t, area.y());
    return (w > 0 && h > 0) ? w * h : 0;
}

}  // namespace

QRect MainWindow::PlacedRect(const WindowPlacement& p, const QList<QRect>& areas,
                        const QRect& primary) {
    const int64_t l = p.left, t = p.top, r = p.right, b = p.bottom;
    if (r <= l || b <= t) return QRect();
    // The screen the rectangle lies on most; one it lies on nowhere (a monitor since
    // unplugged) comes back onto the primary screen, so the window is never out of reach.
    QRect area = primary;
    int64_t best = 0;
    for (const QRect& a : areas) {
        const int64_t o = Overlap(l, t, r, b, a);
        if (o > best) {
            best = o;
            area = a;
        }
    }
    if (area.isEmpty()) return QRect();
    // Never larger than the screen's free area and wholly on it: a size far past the screen
    // would make the view's backing picture as large.
    const int64_t w = std::min<int64_t>(r - l, area.width());
    const int64_t h = std::min<int64_t>(b - t, area.height());
    const int64_t x = best > 0 ? std::clamp<int64_t>(l, area.x(), int64_t(area.x()) + area.width() - w) : area.x();
    const int64_t y = best > 0 ? std::clamp<int64_t>(t, area.y(), int64_t(area.y()) + area.height() - h) : area.y();
    return QRect(int(x), int(y), int(w), int(h));
}

void MainWindow::ApplyPlacement(const WindowPlacement& p) {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect r = PlacedRect(p, areas, primary ? primary->availableGeometry() : QRect());
    if (r.isEmpty()) return;
    setGeometry(r);
    // A window that starts minimised can be unreachable on some desktops: only maximised is
    // restored as such.
    startMaximized_ = (p.showCmd == 3);
}

void MainWindow::ShowAsPlaced() {
    if (startMaximized_)
        showMaximized();
    else
        show();
}
