#pragma once
#include <QString>

#include "platform/FileSystem.h"
#include "core/TransferResult.h"

// Taking back one completed transfer or delete through FileSystem. Nothing is ever replaced
// and no file is ever removed that is not a copy whose bytes still live in its original.
namespace Transfer {

struct UndoResult {
    enum class Status {
        Done,               // as it was before the action
        DeletedForGood,     // a direct delete: nothing to bring back
        ReplacedForGood,    // an overwrite whose replaced file was deleted directly: nothing done
        NameTaken,          // another file has the old name now (`path`); nothing done
        Missing,            // the file to take back is gone (`path`)
        AnotherFile,        // another file stands where it was left (`path`): nothing done
        OriginFolderMissing,  // the folder to put it back in is gone (`path`: that folder)
        CopyChanged,        // the copy was changed since (`path`): kept
        OriginalMissing,    // the copy's original is gone or changed: the copy (`path`) kept
        NotInTrash,         // the trash no longer holds the file (`path`: where it was)
        TrashEntryUnknown,  // trashed, but its entry was never found (`path`: where it was)
        Failed,             // the file system failed (`error`); nothing changed
        ReplacedNotRestored,  // overwrite: the new file went back, the replaced one did not (`error`)
    };
    Status status = Status::Done;
    Action action = Action::None;  // what was taken back
    QString path;
    FsError error;
    // The file is back under its old name / its name at the destination is free again.
    bool backAtSource = false;
    bool goneFromDestination = false;
    // The action failed to come back a second time in a row and was taken off the history, so
    // the next undo reaches the one before it.
    bool setAside = false;

    bool done() const { return status == Status::Done; }
    // Whether the action stays on the history to be tried again: what the user can mend (a
    // name taken, a failing disk), and the direct deletes, which stop the history for good.
    bool keepsAction() const {
        return status == Status::NameTaken || status == Status::Failed || status == Status::OriginFolderMissing ||
               status == Status::DeletedForGood || status == Status::ReplacedForGood;
    }
};

// Takes back `done`, a completed action. Every file it acts on must be the very file the action
// left (FileIdentity, taken right after it; a symbolic link's own); anything else is
// AnotherFile and nothing is done.
// - Moved: the file goes back to its old name by the guarded move (a link as a link);
// - Copied: the copy is removed if it is still the file written and its original is still the
//   very file copied;
// - MovedOver, CopiedOver: the same for the new file, then the replaced file comes back from
//   the trash to the destination;
// - Trashed: the file comes back from the trash (entry and .trashinfo gone);
// - Deleted: refused.
UndoResult undo(FileSystem& fs, const Result& done);

// What undo would find in its way, looked at without touching anything: the checks undo makes
// before it acts (the file left is the very file, the old name is free, the trash still holds
// the very file, a copy's original is unchanged). Done when nothing stands in the way.
UndoResult checkUndo(FileSystem& fs, const Result& done);

}  // namespace Transfer
