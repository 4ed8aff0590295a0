// Start-up and shutdown of the main window.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "CommonProc.h"
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
    ExpectViewWhileLoading(true);
    OpenCommandLineTarget();
    ExpectViewWhileLoading(false);
    UpdateStatusBar();
    ShowPageOverview();
}

void Form1::InitEnvironment() {
    state_.CopiedFlag = false;
    state_.CopiedSlot = 0;
    state_.TransferLocked = false;
    state_.OverviewRow = 3;
    state_.PngPluginAvailable = CommonProc::PathExists(QStringLiteral("dll/ifPNG.spi"));
    if (!CommonProc::PathExists(QStringLiteral("config/"))) QDir().mkdir(QStringLiteral("config"));

    if (Folder::gi_PageCount < 1) {
        Folder::gi_PageCount = 1;
        Folder::gs_PageName[0] = QStringLiteral("新規ページ");
        Folder::gs_FolderTitle[0][0] = QStringLiteral("マイドキュメント");
        Folder::gs_FolderPath[0][0] = CommonProc::GetSpecialFolderPath(QStringLiteral("mydocuments"));
        Folder::gs_FolderTitle[0][1] = QStringLiteral("マイピクチャー");
        Folder::gs_FolderPath[0][1] = CommonProc::PicturesFolderPath();
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

void Form1::ApplyPlacement(const GlobalParam::WindowPlacement& p) {
    QRect r(p.left, p.top, p.right - p.left, p.bottom - p.top);
    if (r.width() <= 0 || r.height() <= 0) return;
    // A rectangle that lies on no screen (a monitor since unplugged) comes back onto the
    // primary one, so the window is never out of reach.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(r)) onScreen = true;
    if (!onScreen) {
        if (QScreen* primary = QGuiApplication::primaryScreen()) {
            const QRect avail = primary->availableGeometry();
            r.setSize(r.size().boundedTo(avail.size()));
            r.moveTopLeft(avail.topLeft());
        }
    }
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
