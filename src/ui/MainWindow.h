#pragma once
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "OptionFiles.h"
#include "PictureBuffer.h"
#include "Services.h"
#include "SortingSession.h"

class ImageView;
class QAction;
class QDialog;
class QMimeData;
class Prefetcher;
struct DecodedPicture;

// The main window: shows one image of the open folder and sends it to a slot's folder at one
// key press. Takes the platform services and the program's directory from its creator.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `startPath` is the path given on the command line as Paths::commandLinePath makes it,
    // or empty.
    MainWindow(const Services& services, const QString& programDir, const QString& startPath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: working directory, library, settings, environment, command-line
    // target, status bar, page overview. Run once, before the window is shown.
    void startUp();
    // Shows the window in the state the saved placement asks for.
    void ShowAsPlaced();

    void InitEnvironment();
    // Opens the file or folder named on the command line; a path that is neither an existing
    // regular file nor an existing folder is reported ("指定のパスが見つかりません").
    void OpenCommandLineTarget();
    // The same for a path a second start of the program handed over (empty: none), once no
    // question, dialog or listing is running, so nothing waiting on one finds the list
    // changed under it; then the window comes to the front. The latest path wins.
    void OpenHandedPath(const QString& path);
    // False once the window has begun to close: it then takes no handed path.
    bool TakesHandedPaths() const { return !unloaded_; }
    // Opens `path` as a folder when it is one, else as a single image file; then drawPicture(0).
    void OpenPath(const QString& path);

    // Opening (MainWindowFiles.cpp): the session lists and picks the file; the window decodes it.
    void openFileAt(const QString& path);
    void openFolderAt(const QString& path);
    // Wrap-around steps; nothing when the list is empty. They update the status bar.
    void nextFile();
    void previousFile();

    // The key table (MainWindowKeys.cpp). Every key event of the window, the image view, the
    // overview panel and the status label comes here once. Down runs again on auto-repeat; up
    // runs once per physical press, and only when the key went down in this window.
    void onKeyPress(int keyCode, int16_t shift);
    void onKeyRelease(int keyCode, int16_t shift);

    // Transfer and delete (MainWindowTransfer.cpp): the session's commands, asked through message
    // boxes, the outcome shown from its result.
    void sendToSlot(int16_t d);
    void deleteShown();
    // Takes back the latest transfer or delete (Ctrl+Z, the menu); a failure is told in a box.
    void undoLast();

    // The view (MainWindowView.cpp). loadPicture("") empties the picture and the view and changes
    // nothing else. For a named file it returns false when decoding failed: the picture is then
    // empty and the caller ends as stepping does (see ShowLoadFailure). Tells the session
    // when the picture is shown.
    bool loadPicture(const QString& path);
    // 0 after a load or a mode toggle (clear first), 1 after a resize, 2 after a slide.
    void drawPicture(int32_t redrawKind);
    // One slide step by the arrow keys held in SlideKeys (Shift: 90, else 30), then drawPicture(2).
    void slidePicture();
    // Inverts the fit mode (Options::fitToView); the session's signal redraws (Enter, right click).
    void toggleFitMode();
    void onMouseDown(int button, int shift, double x, double y);
    void onMouseMove(int button, int shift, double x, double y);
    void onMouseUp(int button, int shift, double x, double y);

    // Drag and drop onto the window or any of its controls (MainWindowDrops.cpp): only an
    // existing folder or an existing image file named first in a list of local files is accepted.
    bool AcceptsDrop(const QMimeData* data) const;
    // Opens the first dropped path (when accepted) and updates the status bar.
    void DropData(const QMimeData* data);

    // The view state: the decoded image (size() is always its natural size) and the slide
    // offsets.
    const PictureBuffer& picture() const { return picture_; }
    // Decodes the neighbours of the shown file ahead (MainWindowPrefetch.cpp).
    Prefetcher& prefetcher() const;
    std::array<bool, 5> SlideKeys{};  // held: Left, Up, Right, Down, Shift
    int32_t SlideX = 0;
    int32_t SlideY = 0;
    int32_t DragStartX = 0;
    int32_t DragStartY = 0;
    int32_t DragStartSlideX = 0;
    int32_t DragStartSlideY = 0;
    void updateStatusText();
    void showOverview();

    // The preferences and the pages of slots, owned by the session and lent to the dialogs,
    // which edit copies and hand them back.
    Options& options() { return session_.options(); }
    const Options& options() const { return session_.options(); }
    FolderLibrary& library() { return session_.library(); }
    const FolderLibrary& library() const { return session_.library(); }

    SortingSession& session() { return session_; }
    const SortingSession& session() const { return session_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QPlainTextEdit* overviewPanel() const { return overviewPanel_; }
    ImageView* imageView() const { return imageView_; }
    const QString& programDir() const { return programDir_; }

    // The placement saved in option file 0: the restored rectangle and the show state.
    WindowPlacement CurrentPlacement() const;
    void ApplyPlacement(const WindowPlacement& placement);
    // The rectangle a stored placement gets: inside the available area (of `areas`) it
    // overlaps most, or at the top left of `primary` when it overlaps none; never larger than
    // that area. Empty for an empty placement.
    static QRect PlacedRect(const WindowPlacement& placement, const QList<QRect>& areas,
                            const QRect& primary);

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
    void shutDown();
    // Appends the page a first start gets: "新規ページ" with the documents and pictures folders.
    void AddDefaultPage();
    void layOut();
    void ConnectView();
    void ConnectSession();
    // Decodes and shows the session's shown file, or empties the view when there is none.
    void ShowShownFile();
    void ShowResult(const Transfer::Result& result);
    void ShowUndoResult(const Transfer::UndoResult& result);
    void InstallDropHandling();
    void InstallKeyRouting();
    // After a failed decode: nothing counts as shown, picture and view empty, copied mark cleared,
    // status bar updated; the position and the list stay.
    void ShowLoadFailure();
    // loadPicture for a named file, with ShowLoadFailure on failure.
    void LoadOrShowFailure(const QString& path);
    void openFile();
    void openFolder();
    // Opens `path` as a command-line target: see OpenCommandLineTarget.
    void OpenGivenPath(QString path);
    void OpenHandedWhenFree();
    std::optional<QString> handedPath_;
    // The menus 補助機能 and 設定 (MainWindowMenus.cpp).
    void BuildSupportMenus();
    void showKeys();
    void showSlots();
    void editFolders();
    void editOptions();
    void about();

    Services services_;
    QString programDir_;
    QString startPath_;
    SortingSession session_;
    std::array<bool, 257> keyIsDown_{};
    // The page the options file remembered, settled against the library by InitEnvironment.
    int32_t rememberedPage_ = 0;

    QPlainTextEdit* overviewPanel_ = nullptr;
    ImageView* imageView_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    PictureBuffer picture_;
    // Decoding ahead (MainWindowPrefetch.cpp): invisible to every rule above.
    struct PrefetchState;
    std::shared_ptr<PrefetchState> prefetch_;
    void InstallPrefetch();
    // The picture of `path` for the current mode: decoded ahead when it still matches the
    // file, else decoded now. Fills *out; true when decoded.
    bool ObtainPicture(const QString& path, DecodedPicture* out);
    // Asks for the neighbours of the shown file, the direction of travel first; they are
    // decoded once the view has painted (StartPrefetch).
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
    // One step forwards (+1) or backwards (-1) with wrap-around.
    void StepFile(int direction);
    QAction* openFileAction_ = nullptr;
    QAction* openFolderAction_ = nullptr;
    QAction* quitAction_ = nullptr;

    bool startMaximized_ = false;
    bool unloaded_ = false;
    // While the session lists a slow folder the window keeps painting (MainWindowFiles.cpp);
    // a close asked for meanwhile comes once the list is there.
    bool closeWaiting_ = false;
    // The session's lister: past 150 ms the window paints on while a worker reads.
    QStringList ListFolderResponsively(const QString& folder, bool pngPluginAvailable);
};
