#include "Undo.h"

#include <cerrno>

#include "Transfer.h"

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

bool sameFile(const FileStatus& a, const FileStatus& b) { return a.device == b.device && a.inode == b.inode; }

// A failed look-up: the file is gone (Missing-like `gone`), or the disk failed.
UndoResult lookupFailed(const Result& done, Status gone, const QString& path, const FsError& e) {
    return e.code == ENOENT || e.code == ENOTDIR ? Outcome(done, gone, path) : Outcome(done, Status::Failed, path, e);
}

// The file moved to done.destination goes back to done.source.
UndoResult moveBack(FileSystem& fs, const Result& done) {
    FileStatus now;
    FsError e;
    if (!fs.Stat(done.destination, &now, &e)) return lookupFailed(done, Status::Missing, done.destination, e);
    if (!now.isRegular || (done.written && !sameFile(now, *done.written)))
        return Outcome(done, Status::Missing, done.destination);
    const Result back = move(fs, done.destination, done.source, &now);
    if (!back.done()) {
        if (back.error.code == EEXIST) return Outcome(done, Status::NameTaken, done.source);
        const FsError why = back.error.code ? back.error : FsPath::ErrorFor(EROFS);  // a CD-ROM refusal
        return Outcome(done, Status::Failed, done.source, why);
    }
    UndoResult u = Outcome(done, Status::Done, done.source);
    u.backAtSource = u.goneFromDestination = true;
    return u;
}

// The copy at done.destination goes, if it is the file written and its bytes still live in
// the original.
UndoResult removeCopy(FileSystem& fs, const Result& done) {
    FileStatus copy, original;
    FsError e;
    if (!fs.Stat(done.destination, &copy, &e)) return lookupFailed(done, Status::Missing, done.destination, e);
    const std::optional<FileStatus>& w = done.written;
    if (!w || !copy.isRegular || !sameFile(copy, *w) || copy.size != w->size || copy.mtimeSec != w->mtimeSec ||
        copy.mtimeNsec != w->mtimeNsec)
        return Outcome(done, Status::CopyChanged, done.destination);
    if (!fs.Stat(done.source, &original, &e))
        return lookupFailed(done, Status::OriginalMissing, done.destination, e);
    const FileStatus& was = done.sourceStatus;
    if (!original.isRegular || original.size != was.size || original.mtimeSec != was.mtimeSec ||
        original.mtimeNsec != was.mtimeNsec)
        return Outcome(done, Status::OriginalMissing, done.destination);
    if (!fs.Unlink(done.destination, &e)) return Outcome(done, Status::Failed, done.destination, e);
    UndoResult u = Outcome(done, Status::Done, done.destination);
    u.goneFromDestination = true;
    return u;
}

// The trashed file of `entry` back at `path`, if the trash still holds it.
UndoResult restore(FileSystem& fs, const Result& done, const TrashEntry& entry, const QString& path) {
    FileStatus st;
    FsError e;
    if (!fs.Stat(entry.file, &st, &e)) return lookupFailed(done, Status::NotInTrash, path, e);
    if (st.device != entry.device || st.inode != entry.inode) return Outcome(done, Status::NotInTrash, path);
    if (!fs.RestoreFromTrash(entry, path, &e))
        return Outcome(done, e.code == EEXIST ? Status::NameTaken : Status::Failed, path, e);
    return Outcome(done, Status::Done, path);
}

}  // namespace

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
            if (second.error.code == 0) second.error = FsPath::ErrorFor(ENOENT);  // emptied from the trash
            second.goneFromDestination = true;
            return second;
        }
        case Action::None: break;
    }
    return Outcome(done, Status::Missing, done.source);
}

}  // namespace Transfer
