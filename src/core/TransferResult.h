#pragma once
#include <QString>

#include <optional>

#include "FileSystem.h"
#include "Options.h"

// What sending a file to a slot, or deleting it, did, or why it did not. The window shows
// messageFor(result) (TransferMessages.h); tests look at the values.
namespace Transfer {

enum class Kind { Copy, Move };

// Where a deleted file goes, and an old destination an overwrite replaces: the desktop's
// trash, or nowhere.
enum class Deletion { ToTrash, Directly };
inline Deletion deletionOf(const Options& options) {
    return options.deletesToTrash() ? Deletion::ToTrash : Deletion::Directly;
}

// Why nothing was done; None when it was.
enum class Refusal {
    None,
    // planning
    SourceMissing,      // the shown file is gone or is no regular file
    NoFolderSet,        // the slot has no folder
    FolderNotFound,     // the slot's folder is missing or is no folder
    NoFreeNumber,       // every sequence number is taken
    NameLeavesFolder,   // the built name would lead out of the slot's folder (`outsideName`)
    SameFile,           // the destination is the source itself
    UnsupportedCollisionMode,
    // the user answered No or Cancel: nothing to say
    Declined,
    // media that are read-only by nature
    CopyToCdRom,
    MoveFromCdRom,
    MoveToCdRom,
    DeleteOnCdRom,
    // the file system failed (`error` says why); nothing changed
    TransferFailed,
    DeleteFailed,
};

enum class Action { None, Copied, Moved, CopiedOver, MovedOver, Trashed, Deleted };

struct Result {
    Action action = Action::None;
    Refusal refusal = Refusal::None;
    QString source;       // the file sent or deleted
    QString destination;  // where it went (empty for a delete)
    FsError error;        // TransferFailed, DeleteFailed
    QString outsideName;  // NameLeavesFolder: the name past the slot's folder

    // What taking the action back needs.
    FileStatus sourceStatus;  // the source as it was just before
    // The file left at the destination, as it was right after (a move keeps the source's
    // device and inode); empty when it could not be looked at.
    std::optional<FileStatus> written;
    // Trashed: the deleted file's entry; CopiedOver, MovedOver: the replaced file's. Empty when
    // the trash's entry was not found, or nothing went to the trash.
    TrashEntry trashEntry;
    bool replacedForGood = false;  // CopiedOver, MovedOver: the replaced file was deleted directly
    // TransferFailed: a move the source's folder refused (a write-protected card) into a folder
    // that takes files, so copy mode would carry it out.
    bool copyWouldDo = false;

    bool done() const { return refusal == Refusal::None; }

    static Result refused(Refusal why) {
        Result r;
        r.refusal = why;
        return r;
    }
    static Result failed(Refusal why, const FsError& error) {
        Result r;
        r.refusal = why;
        r.error = error;
        return r;
    }
    static Result made(Action action, const QString& source, const QString& destination) {
        Result r;
        r.action = action;
        r.source = source;
        r.destination = destination;
        return r;
    }
};

}  // namespace Transfer
