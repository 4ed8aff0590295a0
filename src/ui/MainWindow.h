#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>

#include <QElapsedTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>

#include "ui/Commands.h"
#include "view/PictureOffset.h"
#include "ui/FolderOpener.h"
#include "desktop/Services.h"
#include "core/SettingsStore.h"
#include "core/SortingSession.h"

class FileDrops;
class ImageView;
class PanelEdge;
class PathOpener;
class PictureLoader;
class SessionPictures;
class Prefetcher;
class QDialog;
class QTimer;
class TransferRecorder;
class TransferRecordWindow;

// The main window: shows one image of the open folder and sends it to a slot's folder at one
// key press. Its widgets are the page overview panel, the image view and the status label;
// the picture loader draws the view, the path opener opens what the command line, a second
// start or a drop hands over. Takes the platform services and the program's directory from
// its creator.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `startPath` is the path given on the command line as Paths::commandLinePath makes it,
    // or empty. `services` gives a file system and a message box.
    MainWindow(const Services& services, const QString& programDir, const QString& startPath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up: working directory, settings, placement, the command line's path, status
    // bar, page overview. Run once, before the window is shown.
    void startUp();
    // Shows the window in the state the saved placement asks for.
    void showAtSavedPlace();

    // A path a second start of the program handed over (see PathOpener::openHanded).
    void openHandedPath(const QString& path);
    // False once the window has begun to close: it then takes no handed path.
    bool takesHandedPaths() const;
    // Opens `path` as a folder when it is one, else as a single image file, then draws.
    void openPath(const QString& path);
    // The folder is listed, the session picks the file, the picture loader decodes it.
    void openFileAt(const QString& path) { folders_.openFile(path); }
    void openFolderAt(const QString& path) { folders_.openFolder(path); }
    // Opens the folder of slot `slot` of the current page (Ctrl+digit), then the status.
    void openSlotFolder(int slot);

    // Carries out a command of a key or a menu (MainWindowKeys.cpp): `slot` is the slot digit of
    // SendToSlot and OpenSlot, `held` tells a step repeated by a held key. One that acts on the
    // shown file, typed while its picture is still decoded on a worker, waits for the picture,
    // and those typed after it wait in turn: keys act in the order typed, on the file shown.
    void runCommand(Command command, int slot = -1, bool held = false);
    // Wrap-around steps; nothing when the list is empty. They update the status bar. A `held`
    // step onto a picture still being decoded ahead is passed over.
    void nextFile(bool held = false);
    void previousFile(bool held = false);
    // Inverts the fit mode (Options::fitToView); the picture loader redraws (Enter, right click).
    void toggleFitMode() { session_.toggleFitMode(); }

    // Transfer and delete (MainWindowTransfer.cpp): the session's commands, asked through message
    // boxes, the outcome shown from its result.
    void sendToSlot(int slot);
    void deleteShown();
    // Takes back the latest transfer or delete (Ctrl+Z, the menu); a failure is told in a box.
    void undoLast();
    // The page chooser (G, the menu); the page chosen becomes current as by the page keys.
    void choosePage();
    // Opens (or raises) the window of this run's transfers (the menu).
    void showTransferRecord();

    // The status bar and the caption, and the page overview (MainWindowStatus.cpp). A note
    // stands in the status bar for kStatusNoteMs instead of the usual text, unless an action
    // comes first.
    void updateStatusText();
    void showOverview();
    void showStatusNote(const QString& note);
    static constexpr int kStatusNoteMs = 3000;
    QTimer* statusNoteTimer() const { return statusNoteTimer_; }

    // The preferences and the pages of slots, owned by the session and lent to the dialogs,
    // which edit copies and hand them back.
    Options& options() { return session_.options(); }
    const Options& options() const { return session_.options(); }
    FolderLibrary& library() { return session_.library(); }
    const FolderLibrary& library() const { return session_.library(); }

    SortingSession& session() { return session_; }
    const SortingSession& session() const { return session_; }
    PictureLoader& pictureLoader() const { return *loader_; }
    // The loader's decoding ahead.
    Prefetcher& prefetcher() const;
    QLabel* statusLabel() const { return statusLabel_; }
    QPlainTextEdit* overviewPanel() const { return overviewPanel_; }
    ImageView* imageView() const { return imageView_; }
    // The strip right of the overview panel that widens it.
    PanelEdge* panelEdge() const { return panelEdge_; }
    const TransferRecorder& transferRecorder() const { return *recorder_; }
    // The record window, while one is open.
    TransferRecordWindow* transferRecordWindow() const;
    const QString& programDir() const { return programDir_; }

    // Runs the editor and the options dialog of the menus; empty means exec(). Tests set it
    // to drive a dialog and close it without a nested event loop.
    std::function<void(QDialog&)> runModal;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Minimising, maximising and restoring lay the window out again too: a desktop may report
    // the new size before the new state, and the stretched view must clear in the normal state.
    void changeEvent(QEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void connectSession();
    void installKeyRouting();
    void carryOut(Command command, int slot, bool held);
    // The picture awaited is on screen (or failed): the commands typed meanwhile run, until one
    // shows a picture that must be awaited in turn.
    void runTypedAhead();
    void layOut();
    // The panel, the view, the label and the panel's edge where the layout puts them.
    void placeWidgets();
    // The panel's edge dragged to column `edgeX`: the width is kept in the options.
    void dragPanelEdge(int edgeX);
    // A slot line's tool tip in the overview: the slot's folder in full.
    QString overviewToolTip(int line) const;
    void shutDown();
    // The image view's size once the window is shown as placed, for decoding while loading.
    QSize expectedViewSize() const;
    // Once the window manager has framed the window shown as placed (its first exposes): the
    // frame, title bar included, is brought inside the screen's available area.
    void bringFrameOnScreen();
    // The message of a transfer's, delete's or undo's result, when it has one.
    void showMessage(const QString& text);
    // The menu ファイル.
    void openFile();
    void openFolder();
    // The menus 補助機能 and 設定 (MainWindowMenus.cpp).
    void buildSupportMenus();
    void showKeys();
    void showSlots();
    void editFolders();
    void editOptions();
    void about();

    Services services_;
    QString programDir_;
    QString startPath_;
    SortingSession session_;
    FolderOpener folders_;  // lists folders for the session; nothing opens meanwhile
    SettingsStore settings_;  // the one writer of the config files

    QPlainTextEdit* overviewPanel_ = nullptr;
    ImageView* imageView_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QString statusNote_;
    QTimer* statusNoteTimer_ = nullptr;
    PanelEdge* panelEdge_ = nullptr;
    bool overviewShown_ = false;  // the panel shows the overview (not the usage text)
    // Members rather than children: they go before the session and the widgets they use.
    std::unique_ptr<PictureLoader> loader_;
    std::unique_ptr<SessionPictures> pictures_;  // the session's shown file on the loader
    std::unique_ptr<PathOpener> opener_;
    std::unique_ptr<FileDrops> drops_;
    std::unique_ptr<TransferRecorder> recorder_;
    QPointer<TransferRecordWindow> recordWindow_;

    struct TypedCommand {
        Command command;
        int slot;
        bool held;
    };
    std::deque<TypedCommand> typedAhead_;
    QElapsedTimer typedAheadSince_;  // since they wait for the picture awaited now
    bool runningTypedAhead_ = false;

    bool startMaximized_ = false;
    bool frameCheckPending_ = false;  // shown as placed, its frame not yet seen
    bool closed_ = false;
};
