#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

#include "core/Companions.h"
#include "core/FolderLibrary.h"
#include "core/History.h"
#include "core/ImageList.h"
#include "core/Options.h"
#include "core/TransferResult.h"
#include "core/Undo.h"

class FileSystem;
class TransferQuestions;

// Sorting without a window: the open folder's image list, the pages of slots, the options and
// the mode flags, and the commands a key runs on them. It decodes nothing: whoever shows the
// pictures listens to shownFileChanged and answers whether the file could be shown
// (pictureShown / pictureFailed, for the file named), which the rules for sending and the
// status depend on. Until the answer for the shown file comes, nothing counts as shown.
// It lists no folder either: whoever opens one lists it (ImageList::listFolder, for this
// session's pngPluginAvailable() and options().extraFormats) and hands the names over.
class SortingSession : public QObject {
    Q_OBJECT
public:
    explicit SortingSession(FileSystem* fileSystem, QObject* parent = nullptr);

    const ImageList& list() const { return list_; }
    Options& options() { return options_; }
    const Options& options() const { return options_; }
    FolderLibrary& library() { return library_; }
    const FolderLibrary& library() const { return library_; }

    bool imageShown() const { return imageShown_; }
    bool copyMode() const { return copyMode_; }
    bool locked() const { return locked_; }
    // The shown file was copied to slot copiedSlot() of the current page, and is not copied
    // there again until the mark is cleared (by a step, a page step, move mode or a new picture).
    bool copied() const { return copied_; }
    int copiedSlot() const { return copiedSlot_; }
    // The title of the slot the shown file was copied to; empty without the mark.
    QString copiedSlotTitle() const;
    // Where the current page stands in the overview's ten-line window of pages (2..7).
    int overviewRow() const { return overviewRow_; }
    bool pngPluginAvailable() const { return pngPlugin_; }
    // The shown file's companions (full paths) as the listing found them when the option is on,
    // else none: what goes with it when it is sent or deleted.
    QStringList shownCompanions() const;

    // The state of a fresh start: move mode, no mark, unlocked, overview row 3.
    void resetModes(bool pngPluginAvailable);

    // The folder to list to open `path` as a folder: absolute (relative paths name places
    // under the working directory), with a final "/". Empty (an unassigned slot) for empty.
    static QString folderToList(const QString& path);
    // The folder to list to open the image file `path`; empty when its name fails
    // ImageNames::isOpenable (nothing is opened then).
    QString folderToListFor(const QString& file) const;
    // The folder of slot `slot` of the current page; empty when unassigned or not a slot.
    QString slotFolder(int slot) const;
    // `names` were listed in `folder` (see folderToList; with the companions option the
    // listing holds the companions' names too): they become the list, which shows
    // `file` (a path as given to folderToListFor) when it is listed, else the first entry (a
    // file in another letter case, no regular file or gone is not listed).
    void openListedFolder(const QString& folder, const QStringList& names, const QString& file = QString());
    // The open folder was listed again as `names` (after the options changed what is listed):
    // the shown file stays shown when it is still listed, else the first one is.
    void takeRelisted(const QStringList& names);

    // One file forwards / backwards with wrap-around; nothing when the list is empty.
    void nextFile();
    void previousFile();
    // One page forwards / backwards with wrap-around; clears the copied mark.
    void nextPage();
    void previousPage();
    // Makes page `page` current, as the page keys do (the copied mark goes, the overview's row
    // stays); anything that is not a page changes nothing.
    void goToPage(int page);

    // Sends the shown file to slot `slot` of the current page, by copy or move as the mode
    // says; refused silently while locked, with nothing shown, or to the slot the file was
    // just copied to. resultReady comes before the list changes.
    void sendToSlot(int slot, TransferQuestions& questions);
    // Deletes the shown file (unless locked), as the options say.
    void deleteShown(TransferQuestions& questions);

    // Takes back the latest transfer or delete of this run still on the history (Transfer::undo),
    // whatever page is current; nothing while locked. A file that
    // comes back into the shown folder is listed at its place and shown; one that leaves it is
    // dropped from the list. A slot's next number steps back with the action that moved it on.
    // undoReady comes before the list changes.
    void undoLast();

    void setMoveMode();  // and clears the copied mark
    void setCopyMode();
    void toggleLock();
    // Stretch to the view or actual size (Options::fitToView).
    void toggleFitMode();
    // The shown file was copied to `slot`.
    void markCopied(int slot);

    // What the viewer answers after shownFileChanged: the picture of `path` is on screen (the
    // copied mark goes), or it could not be decoded (nothing counts as shown; the position
    // stays). An answer for another file than the one shown now comes late and is ignored.
    void pictureShown(const QString& path);
    void pictureFailed(const QString& path);
    // Drops the shown entry (after it was moved or deleted) and shows the one taking its place.
    void removeShown();

signals:
    // Another file (or none: an empty list()) is to be shown.
    void shownFileChanged();
    // The mode, the position or a mark changed: the status text is to be redrawn.
    void statusChanged();
    // The current page changed.
    void pageChanged();
    void fitModeChanged();
    // A transfer or delete was tried; sent before the list changes.
    void resultReady(const Transfer::Result& result);
    // An undo of `action` was tried (not sent when there was nothing to undo).
    void undoReady(const Transfer::UndoResult& result, const Transfer::Result& action);
    // `action` was taken back in full; sent last, after the list and the status changed.
    void actionUndone(const Transfer::Result& action);

private:
    // Another entry (or none) is shown: nothing counts as shown until the viewer answers.
    void showAnother();
    void stepFile(int direction);
    void stepPage(int direction);
    void showFirst();
    bool clearCopied();
    // After an undo: the shown list as if the action had never been.
    void settleListAfterUndo(const Transfer::Result& done, const Transfer::UndoResult& undone);
    // Companions that left the shown folder leave the index and, when listed, the list.
    void dropCompanions(const Transfer::Result& done);
    // A folder's listed names: with the companions option the listing also holds the names
    // companions may have, which go to the index; the pictures are returned for the list.
    QStringList takeCompanions(const QStringList& names);

    FileSystem* fs_;
    ImageList list_;
    CompanionIndex companions_;
    Options options_;
    FolderLibrary library_;
    History history_;
    bool imageShown_ = false;
    bool copyMode_ = false;
    bool locked_ = false;
    bool copied_ = false;
    int copiedSlot_ = 0;
    int overviewRow_ = 3;
    bool pngPlugin_ = false;
};
