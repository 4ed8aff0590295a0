#pragma once
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

#include <functional>
#include <memory>
#include <optional>

#include "Form1State.h"
#include "GlobalParam.h"
#include "PictureBuffer.h"
#include "Services.h"

class DisplayWidget;
class QAction;
class QDialog;
class QMimeData;
class Prefetcher;
struct DecodedPicture;

// The main window: shows one image of the open folder and sends it to a slot's folder at one
// key press. Takes the platform services and the program's directory from its creator.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // `commandLine` is the command-line text after the program's name (may be empty).
    Form1(const Services& services, const QString& programDir, const QString& commandLine,
          QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence: working directory, library, settings, environment, command-line
    // target, status bar, page overview. Run once, before the window is shown.
    void Form_Load();
    // Shows the window in the state the saved placement asks for.
    void ShowAsPlaced();

    void InitEnvironment();
    // Opens the file or folder named first on the command line; a path that is neither an
    // existing regular file nor an existing folder is reported ("指定のパスが見つかりません").
    void OpenCommandLineTarget();
    // Opens `path` as a folder when it is one, else as a single image file; then DrawImage(0).
    void OpenPath(const QString& path);

    // The image list (Form1Files.cpp). Each leaves CurrentIndex inside 1..FileCount, or 0 with
    // an empty list; a file that fails to decode is handled as stepping handles it.
    // OpenFile ignores names failing IsImageFileName; shows the first entry when the file is not
    // in the rebuilt list.
    void OpenFile(const QString& path);
    void OpenFolder(const QString& path);
    void BuildFileList();
    // Wrap-around steps; nothing when the list is empty. They update the status bar.
    void StepToNextFile();
    void StepToPreviousFile();
    // Drops the current entry (after a move or delete) and shows the one taking its place.
    void RemoveCurrentFromList();

    // The key map (Form1Keys.cpp). Every key event of the window, Display, Text1 and Bar comes
    // here once. Down runs again on auto-repeat; up runs once per physical press, and only
    // when the key went down in this window.
    void Picture1_KeyDown(int keyCode, int16_t shift);
    void Picture1_KeyUp(int keyCode, int16_t shift);

    // Transfer and delete (Form1Transfer.cpp). Send the shown file to slot `d` of the
    // current page, by copy or move; delete the shown file.
    void TransferToSlot(int16_t d);
    void DeleteCurrentFile();

    // The view (Form1View.cpp). LoadImageFile("") empties the picture and the view and changes
    // nothing else. For a named file it returns false when decoding failed: the picture is then
    // empty and the caller ends as stepping does (see ShowLoadFailure).
    bool LoadImageFile(const QString& path);
    // 0 after a load or a mode toggle (clear first), 1 after a resize, 2 after a slide.
    void DrawImage(int32_t RedrawKind);
    // One slide step by the arrow keys held in SlideKeys (Shift: 90, else 30), then DrawImage(2).
    void SlideImage();
    // Inverts GlobalParam::Options.CurrentFullMode and redraws (Enter, right click).
    void ToggleFullMode();
    void Display_MouseDown(int button, int shift, double x, double y);
    void Display_MouseMove(int button, int shift, double x, double y);
    void Display_MouseUp(int button, int shift, double x, double y);

    // Drag and drop onto the window, Bar, Display or Text1 (Form1Drops.cpp): only an existing
    // folder or an existing image file named first in a list of local files is accepted.
    bool AcceptsDrop(const QMimeData* data) const;
    // Opens the first dropped path (when accepted) and updates the status bar.
    void DropData(const QMimeData* data);

    // The view state: the decoded image (size() is always its natural size) and the slide
    // offsets.
    const PictureBuffer& Picture1() const { return picture1_; }
    // Decodes the neighbours of the shown file ahead (Form1Prefetch.cpp).
    Prefetcher& prefetcher() const;
    int32_t SlideX = 0;
    int32_t SlideY = 0;
    int32_t DragStartX = 0;
    int32_t DragStartY = 0;
    int32_t DragStartSlideX = 0;
    int32_t DragStartSlideY = 0;
    void UpdateStatusBar();
    void ShowPageOverview();

    Form1State& state() { return state_; }
    const Form1State& state() const { return state_; }
    QLabel* Bar() const { return bar_; }
    QPlainTextEdit* Text1() const { return text1_; }
    DisplayWidget* display() const { return display_; }
    const QString& programDir() const { return programDir_; }

    // The placement saved in option file 0: the restored rectangle and the show state.
    GlobalParam::WindowPlacement CurrentPlacement() const;
    void ApplyPlacement(const GlobalParam::WindowPlacement& placement);

    // Runs the editor and the options dialog of the menus; empty means exec(). Tests set it
    // to drive a dialog and close it without a nested event loop.
    std::function<void(QDialog&)> RunModal;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Minimising, maximising and restoring lay the window out again too: a desktop may report
    // the new size before the new state, and the stretched view must clear in the normal state.
    void changeEvent(QEvent* event) override;

private:
    void BuildWidgets();
    void BuildMenus();
    void Form_Unload();
    void Form_Resize();
    void ConnectView();
    void InstallDropHandling();
    void InstallKeyRouting();
    // After a failed decode: ImageShown false, picture and view empty, copied mark cleared,
    // status bar updated; the position and the list stay.
    void ShowLoadFailure();
    // LoadImageFile for a named file, with ShowLoadFailure on failure.
    void LoadOrShowFailure(const QString& path);
    void m_OpenFile();
    void m_OpenFolder();
    // The menus 補助機能 and 設定 (Form1Menus.cpp).
    void BuildSupportMenus();
    void m_usage();
    void m_assaign();
    void m_SetFolder();
    void m_Option();
    void m_version();

    Services services_;
    QString programDir_;
    QString commandLine_;
    Form1State state_;

    QPlainTextEdit* text1_ = nullptr;
    DisplayWidget* display_ = nullptr;
    QLabel* bar_ = nullptr;
    PictureBuffer picture1_;
    // Decoding ahead (Form1Prefetch.cpp): invisible to every rule above.
    struct PrefetchState;
    std::shared_ptr<PrefetchState> prefetch_;
    void InstallPrefetch();
    // The picture of `path` for the current mode: decoded ahead when it still matches the
    // file, else decoded now. Fills *out; true when decoded.
    bool ObtainPicture(const QString& path, DecodedPicture* out);
    // Asks for the neighbours of CurrentIndex, the direction of travel first; they are decoded
    // once the view has painted (StartPrefetch).
    void PrefetchAround();
    void StartPrefetch();
    // While loading (before the window is shown) pictures are decoded for the view the window
    // will have; `loading` false ends that.
    void ExpectViewWhileLoading(bool loading);
    // Makes the picture's pixels full size (dest null) or covering `dest`, from the same file.
    void EnsurePixels(const QSize* dest);
    // A step repeated by a held key while its picture is still being decoded ahead is passed
    // over, so a held key never piles up work (the latest step wins).
    bool SkipHeldStep(int direction);
    // Shows entry 1 of the list, or empties the view when the list is empty.
    void ShowFirstFile();
    // One step forwards (+1) or backwards (-1) with wrap-around.
    void StepFile(int direction);
    QAction* m_OpenFile_ = nullptr;
    QAction* m_OpenFolder_ = nullptr;
    QAction* m_Quit_ = nullptr;

    bool startMaximized_ = false;
    bool unloaded_ = false;
    // A folder is being listed on a worker while the window keeps painting (Form1Files.cpp);
    // opening another waits, and a close asked for meanwhile comes once the list is there.
    bool listing_ = false;
    bool closeWaiting_ = false;
    QStringList ListFolderResponsively(const QString& folder);
};
