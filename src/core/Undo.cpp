#include "core/Undo.h"

#include <cerrno>

#include "core/Transfer.h"

namespace Transfer {

namespace {

using Status = UndoResult::Status;

UndoResult Outcome(const Result& done, Status status, const QString& path, const FsError& error = FsError()) {
    UndoResult u;
    u.status = status;
    u.action = done.action;
    u.path = path;
    u.error = error;
    return u;
}

// A failed look-up: the file is gone (Missing-like `gone`), or the disk failed.
UndoResult lookupFailed(const Result& done, Status gone, const QString& path, const FsError& e) {
    return e.code == ENOENT || e.code == ENOTDIR ? Outcome(done, gone, path) : Outcome(done, Status::Failed, path, e);
}

// Whether `path` (a symbolic link itself, not followed) is still the very file the action left
// there: `left` as taken right after it. Nothing recorded is nothing to be sure of.
UndoResult checkLeft(FileSystem& fs, const Result& done, const QString& path, const std::optional<FileStatus>& left,
                     Status gone, FileStatus* now) {
    FsError e;
    if (!fs.linkStatus(path, now, &e)) return lookupFailed(done, gone, path, e);
    if (!left || now->identity() != left->identity() || (!now->isRegular && !now->isSymlink))
        return Outcome(done, Status::AnotherFile, path);
    return Outcome(done, Status::Done, path);
}

// The file moved to done.destination goes back to done.source.
UndoResult moveBack(FileSystem& fs, const Result& done) {
    FileStatus now;
    const UndoResult check = checkLeft(fs, done, done.destination, done.written, Status::Missing, &now);
    if (!check.done()) return check;
    // A link is looked at again by the move, through it; a file is what was just looked at.
    const Result back = move(fs, done.destination, done.source, now.isSymlink ? nullptr : &now);
    if (!back.done()) {
        if (back.error.code == EEXIST) return Outcome(done, Status::NameTaken, done.source);
        const QString origin = FsPath::folderOf(done.source);
        if (back.error.code == ENOENT && !fs.isDirectory(origin))
            return Outcome(done, Status::OriginFolderMissing, origin);
        const FsError why = back.error.code ? back.error : FsPath::errorFor(EROFS);  // a CD-ROM refusal
        return Outcome(done, Status::Failed, done.source, why);
    }
    UndoResult u = Outcome(done, Status::Done, done.source);
    u.backAtSource = u.goneFromDestination = true;
    return u;
}

// The copy at done.destination goes, if it is the file written and its bytes still live in
// the original, the very file copied.
UndoResult removeCopy(FileSystem& fs, const Result& done) {
    FileStatus copy, original;
    FsError e;
    const UndoResult check = checkLeft(fs, done, done.destination, done.written, Status::Missing, &copy);
    if (check.status == Status::AnotherFile) return Outcome(done, Status::CopyChanged, done.destination);
    if (!check.done()) return check;
    if (!fs.stat(done.source, &original, &e))
        return lookupFailed(done, Status::OriginalMissing, done.destination, e);
    if (!original.isRegular || original.identity() != done.sourceStatus.identity())
        return Outcome(done, Status::OriginalMissing, done.destination);
    if (!fs.unlink(done.destination, &e)) return Outcome(done, Status::Failed, done.destination, e);
    UndoResult u = Outcome(done, Status::Done, done.destination);
    u.goneFromDestination = true;
    return u;
}

// The trashed file of `entry` (a link: the link itself) back at `path`, if the trash still
// holds that very file.
UndoResult restore(FileSystem& fs, const Result& done, const TrashEntry& entry, const QString& path) {
    FileStatus st;
    FsError e;
    if (!fs.linkStatus(entry.file, &st, &e)) return lookupFailed(done, Status::NotInTrash, path, e);
    if (st.identity() != entry.identity) return Outcome(done, Status::AnotherFile, entry.file);
    if (!fs.restoreFromTrash(entry, path, &e)) {
        if (e.code == EEXIST) return Outcome(done, Status::NameTaken, path, e);
        const QString origin = FsPath::folderOf(path);
        if (e.code == ENOENT && !fs.isDirectory(origin)) return Outcome(done, Status::OriginFolderMissing, origin);
        return Outcome(done, Status::Failed, path, e);
    }
    return Outcome(done, Status::Done, path);
}

// Whether the trash still holds the very file of `entry` (to come back to `path`).
UndoResult trashHolds(FileSystem& fs, const Result& done, const TrashEntry& entry, const QString& path) {
    FileStatus st;
    FsError e;
    if (!fs.linkStatus(entry.file, &st, &e)) return lookupFailed(done, Status::NotInTrash, path, e);
    if (st.identity() != entry.identity) return Outcome(done, Status::AnotherFile, entry.file);
    return Outcome(done, Status::Done, path);
}

// Whether `path` is free for a file to come back to.
UndoResult nameFree(FileSystem& fs, const Result& done, const QString& path) {
    FileStatus st;
    FsError e;
    if (fs.linkStatus(path, &st, &e)) return Outcome(done, Status::NameTaken, path);
    if (e.code != ENOENT) return Outcome(done, Status::Failed, path, e);
    return Outcome(done, Status::Done, path);
}

// An overwrite's replaced file must still wait in the trash for the undo to bring it back;
// any other action replaced nothing.
UndoResult replacedCanComeBack(FileSystem& fs, const Result& done) {
    if (done.action != Action::MovedOver && done.action != Action::CopiedOver)
        return Outcome(done, Status::Done, done.destination);
    if (done.replacedForGood) return Outcome(done, Status::ReplacedForGood, done.destination);
    if (!done.trashEntry.known()) return Outcome(done, Status::TrashEntryUnknown, done.destination);
    return trashHolds(fs, done, done.trashEntry, done.destination);
}

}  // namespace

UndoResult checkUndo(FileSystem& fs, const Result& done) {
    FileStatus now;
    switch (done.action) {
        case Action::Deleted: return Outcome(done, Status::DeletedForGood, done.source);
        case Action::Trashed:
            if (!done.trashEntry.known()) return Outcome(done, Status::TrashEntryUnknown, done.source);
            if (const UndoResult u = trashHolds(fs, done, done.trashEntry, done.source); !u.done()) return u;
            return nameFree(fs, done, done.source);
        case Action::Moved:
        case Action::MovedOver: {
            if (const UndoResult u = replacedCanComeBack(fs, done); !u.done()) return u;
            const UndoResult left = checkLeft(fs, done, done.destination, done.written, Status::Missing, &now);
            if (!left.done()) return left;
            return nameFree(fs, done, done.source);
        }
        case Action::Copied:
        case Action::CopiedOver: {
            if (const UndoResult u = replacedCanComeBack(fs, done); !u.done()) return u;
            const UndoResult left = checkLeft(fs, done, done.destination, done.written, Status::Missing, &now);
            if (left.status == Status::AnotherFile) return Outcome(done, Status::CopyChanged, done.destination);
            if (!left.done()) return left;
            FileStatus original;
            FsError e;
            if (!fs.stat(done.source, &original, &e))
                return lookupFailed(done, Status::OriginalMissing, done.destination, e);
            if (!original.isRegular || original.identity() != done.sourceStatus.identity())
                return Outcome(done, Status::OriginalMissing, done.destination);
            return Outcome(done, Status::Done, done.destination);
        }
        case Action::None: break;
    }
    return Outcome(done, Status::Missing, done.source);
}

UndoResult undo(FileSystem& fs, const Result& done) {
    switch (done.action) {
        case Action::Moved: return moveBack(fs, done);
        case Action::Copied: return removeCopy(fs, done);
        case Action::Deleted: return Outcome(done, Status::DeletedForGood, done.source);
        case Action::Trashed: {
            if (!done.trashEntry.known()) return Outcome(done, Status::TrashEntryUnknown, done.source);
            UndoResult u = restore(fs, done, done.trashEntry, done.source);
            u.backAtSource = u.done();
            return u;
        }
        case Action::MovedOver:
        case Action::CopiedOver: {
            if (done.replacedForGood) return Outcome(done, Status::ReplacedForGood, done.destination);
            if (!done.trashEntry.known()) return Outcome(done, Status::TrashEntryUnknown, done.destination);
            // The new file first, so the replaced one finds its name free; should it then not
            // come back, it stays in the trash, where the user finds it.
            UndoResult first = done.action == Action::MovedOver ? moveBack(fs, done) : removeCopy(fs, done);
            if (!first.done()) return first;
            UndoResult second = restore(fs, done, done.trashEntry, done.destination);
            second.backAtSource = first.backAtSource;
            if (second.done()) return second;
            second.status = Status::ReplacedNotRestored;
            if (second.error.code == 0) second.error = FsPath::errorFor(ENOENT);  // emptied from the trash
            second.goneFromDestination = true;
            return second;
        }
        case Action::None: break;
    }
    return Outcome(done, Status::Missing, done.source);
}

}  // namespace Transfer
