// Start-up and shutdown of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdint>

#include "DesktopFolders.h"
#include "FileList.h"
#include "FileSystem.h"
#include "Folder.h"
#include "Form1.h"
#include "Form3.h"
#include "GlobalParam.h"
#include "MsgBox.h"

void Form1::Form_Load() {
    // Every relative path of the program (config/, dll/ifPNG.spi) resolves against its folder.
    QDir::setCurrent(programDir_);
    Folder::LoadPageFile(programDir_);
    Folder::LoadFolderFile(programDir_);
    GlobalParam::InitSettings();
    std::optional<GlobalParam::WindowPlacement> placement;
    GlobalParam::LoadSettings(0, programDir_, &placement);
    if (placement) ApplyPlacement(*placement);
    GlobalParam::LoadSettings(1, programDir_);
    InitEnvironment();
    OpenCommandLineTarget();
    UpdateStatusBar();
    ShowPageOverview();
}

void Form1::InitEnvironment() {
    state_.CopiedFlag = false;
    state_.CopiedSlot = 0;
    state_.TransferLocked = false;
    state_.OverviewRow = 3;
    // Only a regular file can be loaded; anything else there (a folder, a pipe) is no plug-in.
    state_.PngPluginAvailable = FileList::IsRegularFile(QStringLiteral("dll/ifPNG.spi"));
    if (!PosixFileSystem().Exists(QStringLiteral("config/"))) QDir().mkdir(QStringLiteral("config"));

    if (Folder::gi_PageCount < 1) {
        Folder::gi_PageCount = 1;
        Folder::gs_PageName[0] = QStringLiteral("新規ページ");
        Folder::gs_FolderTitle[0][0] = QStringLiteral("マイドキュメント");
        Folder::gs_FolderPath[0][0] = DesktopFolders::DocumentsFolderPath();
        Folder::gs_FolderTitle[0][1] = QStringLiteral("マイピクチャー");
        Folder::gs_FolderPath[0][1] = DesktopFolders::PicturesFolderPath();
    }
    if (Folder::gl_PageNum > 249 || Folder::gl_PageNum < 0) Folder::gl_PageNum = 0;
    if (Folder::gl_PageNum > Folder::gi_PageCount - 1) Folder::gl_PageNum = 0;
}

void Form1::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Form3::UnloadAll();
    MsgBox& msg = *services_.msgBox;
    GlobalParam::SaveSettings(0, programDir_, msg, CurrentPlacement());
    GlobalParam::SaveSettings(1, programDir_, msg);
}

GlobalParam::WindowPlacement Form1::CurrentPlacement() const {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    GlobalParam::WindowPlacement p;
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

QRect Form1::PlacedRect(const GlobalParam::WindowPlacement& p, const QList<QRect>& areas,
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

void Form1::ApplyPlacement(const GlobalParam::WindowPlacement& p) {
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

void Form1::ShowAsPlaced() {
    if (startMaximized_)
        showMaximized();
    else
        show();
}
