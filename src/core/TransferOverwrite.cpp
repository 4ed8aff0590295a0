// Replacing an existing destination so that a failure at any step leaves both files as they
// were, and the source goes last.
#include <cerrno>

#include "core/Transfer.h"
#include "core/TransferLinks.h"

namespace Transfer {

namespace {

using Role = FileSystem::TemporaryRole;

// A file system without hard links answers with one of these (FAT, exFAT, some network shares),
// and EXDEV across file systems: then the new file is a copy.
bool noHardLinkHere(int code) {
    return code == EXDEV || code == EPERM || code == EOPNOTSUPP || code == ENOSYS || code == EMLINK;
}

// Runs `make` on fresh temporary names for `name` in `folder` until one is free; false with the
// error of the first failure that is not EEXIST.
template <typename Make>
bool onFreeTemporary(FileSystem& fs, const QString& folder, Role role, const QString& name, QString* path,
                     FsError* err, Make make) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        *path = fs.newTemporaryPath(folder, role, name);
        if (make(*path)) return true;
        if (err->code != EEXIST) return false;
    }
    return false;
}

Result replace(FileSystem& fs, Kind kind, const QString& source, const QString& destination,
               Deletion deletion) {
    const Refusal media = mediaRefusal(fs, kind, source, destination);
    if (media != Refusal::None) return Result::refused(media);
    if (isSameFile(fs, source, destination)) return Result::refused(Refusal::SameFile);
    FsError e;
    FileStatus old, before, self;
    // A copy or move takes regular files only (a folder named "a.jpg" is never transferred).
    if (!fs.stat(source, &before, &e)) return Result::failed(Refusal::TransferFailed, e, Step::PrepareNew);
    if (!before.isRegular)
        return Result::failed(Refusal::TransferFailed, FsPath::notRegularError(before), Step::PrepareNew);
    if (!fs.stat(destination, &old, &e) || !old.isRegular) {
        if (e.code == 0) e = FsPath::notRegularError(old);
        return Result::failed(Refusal::DeleteFailed, e, Step::OldAside);
    }
    const bool moving = kind == Kind::Move;
    const bool toTrash = deletion == Deletion::ToTrash;
    if (moving && !fs.linkStatus(source, &self, &e)) return Result::failed(Refusal::TransferFailed, e, Step::PrepareNew);
    // Before anything is touched: a trash that will not take the old file stops it here.
    if (toTrash && !fs.canTrash(destination, &e)) return Result::failed(Refusal::DeleteFailed, e, Step::CannotTrashOld);

    const QString folder = FsPath::folderOf(destination);
    const QString name = FsPath::nameOf(destination);
    FsError ignored;

    // 1. The new file, ready under a temporary name beside the destination. A moved file is
    //    linked there (the same file: its identity and links stay); the source keeps its name.
    QString incoming;
    FileStatus copied;
    std::optional<FileStatus> written;
    bool byCopy = !moving;
    if (moving && self.isSymlink) {
        FileStatus made;
        if (!onFreeTemporary(fs, folder, Role::Incoming, name, &incoming, &e, [&](const QString& t) {
                return links::makeLinkLike(fs, source, t, before, &made, &e);
            }))
            return Result::failed(Refusal::TransferFailed, e, Step::PrepareNew);
        written = made;
    } else if (moving) {
        if (onFreeTemporary(fs, folder, Role::Incoming, name, &incoming, &e,
                            [&](const QString& t) { return fs.hardLink(source, t, &e); })) {
            written = before;
        } else if (noHardLinkHere(e.code)) {
            byCopy = true;
        } else {
            return Result::failed(Refusal::TransferFailed, e, Step::PrepareNew);
        }
    }
    if (byCopy && !fs.copyToTemporary(source, folder, &incoming, &e, &copied, &written))
        return Result::failed(Refusal::TransferFailed, e, Step::PrepareNew);

    // 2. The old destination out of the way: to the trash, or kept under a temporary name until
    //    the end (a second hard link where the file system has them, so its name never stands
    //    empty).
    TrashEntry replaced;
    QString aside;
    bool asideLinked = false;
    if (toTrash) {
        if (!fs.trash(destination, &replaced, &e)) {
            fs.unlink(incoming, &ignored);
            return Result::failed(Refusal::DeleteFailed, e, Step::TrashOld);
        }
    } else {
        asideLinked = onFreeTemporary(fs, folder, Role::Replaced, name, &aside, &e,
                                      [&](const QString& t) { return fs.hardLink(destination, t, &e); });
        if (!asideLinked && (!noHardLinkHere(e.code) ||
                             !onFreeTemporary(fs, folder, Role::Replaced, name, &aside, &e, [&](const QString& t) {
                                 return fs.renameNoReplace(destination, t, &e);
                             }))) {
            fs.unlink(incoming, &ignored);
            return Result::failed(Refusal::DeleteFailed, e, Step::OldAside);
        }
    }
    // The old file back under its name; where the new file already holds it (`newPlaced`), it
    // is replaced in the same step, so nothing has to be unlinked (which may be what fails).
    auto putOldBack = [&](Result r, bool newPlaced) {
        if (toTrash) {
            bool back = false;
            if (replaced.known()) {
                back = newPlaced ? fs.renameReplace(replaced.file, destination, &ignored)
                                 : fs.renameNoReplace(replaced.file, destination, &ignored);
                if (back) fs.unlink(replaced.info, &ignored);
            }
            if (!back && newPlaced) fs.unlink(destination, &ignored);
            r.oldLeftInTrash = !back;
        } else if (newPlaced ? !fs.renameReplace(aside, destination, &ignored)
                   : asideLinked ? !fs.unlink(aside, &ignored)  // the old file never left its name
                                 : !fs.renameNoReplace(aside, destination, &ignored)) {
            if (newPlaced || !asideLinked) r.leftover = aside;  // it waits there, and is told
        }
        return r;
    };

    // 3. The new file takes the name.
    const bool placed = asideLinked ? fs.renameReplace(incoming, destination, &e)
                                    : fs.renameNoReplace(incoming, destination, &e);
    if (!placed) {
        fs.unlink(incoming, &ignored);
        return putOldBack(Result::failed(Refusal::TransferFailed, e, Step::PlaceNew), false);
    }

    // 4. A moved source goes last, and only if it is still the file it was.
    if (moving) {
        FileStatus now;
        bool same;
        if (byCopy) {
            same = fs.unchangedSince(source, copied, &e);
        } else {
            same = fs.linkStatus(source, &now, &e);
            if (same && now.identity() != self.identity()) {
                same = false;
                e = FsPath::changedWhileCopied();
            }
        }
        if (!same || !fs.unlink(source, &e))
            return putOldBack(Result::failed(Refusal::TransferFailed, e, Step::RemoveSource), true);
    }

    Result r = Result::made(moving ? Action::MovedOver : Action::CopiedOver, source, destination);
    r.sourceStatus = before;
    r.written = written;
    r.trashEntry = replaced;
    r.replacedForGood = !toTrash;
    // 5. The old file kept aside goes for good, as asked.
    if (!aside.isEmpty() && !fs.unlink(aside, &r.leftoverError)) r.leftover = aside;
    return r;
}

}  // namespace

Result overwrite(FileSystem& fs, Kind kind, const QString& source, const QString& destination,
                 Deletion deletion) {
    // A failure's message names the files too.
    Result r = replace(fs, kind, source, destination, deletion);
    if (r.source.isEmpty()) r.source = source;
    if (r.destination.isEmpty()) r.destination = destination;
    return r;
}

}  // namespace Transfer
