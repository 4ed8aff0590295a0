#pragma once
#include <QString>

#include <QStringList>

#include <optional>
#include <vector>

#include "platform/FileSystem.h"
#include "core/Options.h"

// What sending a file to a slot, or deleting it, did, or why it did not. The window shows
// messageFor(result) (TransferMessages.h); tests look at the values.
namespace Transfer {

enum class Kind { Copy, Move };

using Deletion = DeleteMode;
inline Deletion deletionOf(const Options& options) { return options.deleteMode; }

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

// The step of an overwrite that failed, so the message can name it; None elsewhere. Whatever
// the step, the source and the old destination are as they were (unless `oldLeftInTrash`).
enum class Step {
    None,
    CannotTrashOld,  // the trash does not take the old destination: known before anything
    PrepareNew,      // the new file could not be made ready in the destination's folder
    TrashOld,        // the old destination could not go to the trash
    OldAside,        // the old destination (deleted directly) could not be set aside
    PlaceNew,        // the new file could not take the destination's name
    RemoveSource,    // the source (a move) could not be removed at the end
};

struct Result {
    Action action = Action::None;
    Refusal refusal = Refusal::None;
    QString source;       // the file sent or deleted
    QString destination;  // where it went (empty for a delete)
    FsError error;        // TransferFailed, DeleteFailed
    QString outsideName;  // NameLeavesFolder: the name past the slot's folder
    Step step = Step::None;  // an overwrite: the step that failed
    // A failed overwrite whose old destination went to the trash and could not be put back:
    // it waits there.
    bool oldLeftInTrash = false;
    // An overwrite whose old destination, kept aside, could neither be removed at the end (done)
    // nor put back (failed): it stays under this temporary name (done: `leftoverError` says why).
    QString leftover;
    FsError leftoverError;

    // What taking the action back needs.
    FileStatus sourceStatus;  // the source as it was just before
    // The file left at the destination, as it was right after (a move keeps the source's
    // identity; a moved symbolic link: the new link's own status); empty when it could not be
    // looked at, and then nothing is ever taken back.
    std::optional<FileStatus> written;
    // Trashed: the deleted file's entry; CopiedOver, MovedOver: the replaced file's. Empty when
    // the trash's entry was not found, or nothing went to the trash.
    TrashEntry trashEntry;
    bool replacedForGood = false;  // CopiedOver, MovedOver: the replaced file was deleted directly
    // TransferFailed: a move the source's folder refused (a write-protected card) into a folder
    // that takes files, so copy mode would carry it out.
    bool copyWouldDo = false;

    // Companions (the option): the shown file's companions that went with it, each as its own
    // action; empty for a file sent alone and for anything not done.
    std::vector<Result> companions;
    // A group that failed: members that were moved before the failure and could not be put
    // back (where they are now). Empty when the group is whole at its source.
    QStringList strandedMembers;

    bool done() const { return refusal == Refusal::None; }

    static Result refused(Refusal why) {
        Result r;
        r.refusal = why;
        return r;
    }
    static Result failed(Refusal why, const FsError& error, Step step = Step::None) {
        Result r;
        r.refusal = why;
        r.error = error;
        r.step = step;
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
