#include "Transfer.h"

#include <cerrno>
#include <cstring>

#include "FailureReasons.h"

namespace Transfer {

namespace {

bool onCdRom(FileSystem& fs, const QString& path, const FileStatus* status = nullptr) {
    return fs.DriveOf(path, status) == DriveType::CdRom;
}

// Refusals of copying to, or moving from and to, a CD-ROM: the first that applies, or None.
Refusal mediaRefusal(FileSystem& fs, Kind kind, const QString& source, const QString& destination) {
    if (kind == Kind::Copy) return onCdRom(fs, destination) ? Refusal::CopyToCdRom : Refusal::None;
    if (onCdRom(fs, source)) return Refusal::MoveFromCdRom;
    if (onCdRom(fs, destination)) return Refusal::MoveToCdRom;
    return Refusal::None;
}

Result transferFailed(const FsError& e) { return Result::failed(Refusal::TransferFailed, e); }
Result deleteFailed(const FsError& e) { return Result::failed(Refusal::DeleteFailed, e); }

}  // namespace

QString resolveDestination(const QString& source, const QString& destination) {
    if (!destination.endsWith(QLatin1Char('/'))) return destination;
    // Built by hand in one allocation: every move of a photo passes here.
    const QChar* s = source.constData();
    qsizetype start = source.size();
    while (start > 0 && s[start - 1] != QLatin1Char('/')) --start;
    const qsizetype nameSize = source.size() - start;
    QString path(destination.size() + nameSize, Qt::Uninitialized);
    QChar* out = path.data();
    std::memcpy(out, destination.constData(), destination.size() * sizeof(QChar));
    std::memcpy(out + destination.size(), s + start, nameSize * sizeof(QChar));
    return path;
}

Result copy(FileSystem& fs, const QString& source, const QString& destination, bool replace) {
    const Refusal media = mediaRefusal(fs, Kind::Copy, source, destination);
    if (media != Refusal::None) return Result::refused(media);
    const QString target = resolveDestination(source, destination);
    FsError e;
    Result r = Result::made(Action::Copied, source, target);
    if (!fs.Copy(source, target, &e, replace, &r.sourceStatus, &r.written)) return transferFailed(e);
    return r;
}

Result move(FileSystem& fs, const QString& source, const QString& destination,
            const FileStatus* sourceStatus) {
    // The checks come in the order MediaRefusal gives them, but one stat of the source serves
    // both its drive and its type (the caller's, when it has just taken one), and the
    // destination's drive is asked only when the rename fails: a rename that succeeds stayed
    // within the source's mount, which is no CD-ROM. The move of a photo is then the rename,
    // with a stat before it unless the caller brings one.
    FileStatus st;
    FsError e;
    bool found = true;
    if (sourceStatus)
        st = *sourceStatus;
    else
        found = fs.Stat(source, &st, &e);
    if (onCdRom(fs, source, found ? &st : nullptr)) return Result::refused(Refusal::MoveFromCdRom);
    const QString target = resolveDestination(source, destination);
    Result r = Result::made(Action::Moved, source, target);
    r.sourceStatus = st;
    if (found && st.isRegular) {
        if (fs.RenameNoReplace(source, target, &e)) {
            r.written = st;  // renamed: the same file
            return r;
        }
    } else if (found) {
        e = FsPath::NotRegularError(st);
    }
    if (onCdRom(fs, destination)) return Result::refused(Refusal::MoveToCdRom);
    // Across file systems the rename said EXDEV, and Move copies instead.
    if (!found || !st.isRegular || e.code != EXDEV || !fs.Move(source, target, &e, &r.written))
        return transferFailed(e);
    return r;
}

Result remove(FileSystem& fs, const QString& path, Deletion deletion) {
    if (onCdRom(fs, path)) return Result::refused(Refusal::DeleteOnCdRom);
    FsError e;
    FileStatus st;
    bool ok = fs.Stat(path, &st, &e);
    if (ok && !st.isRegular) {
        // The trash would happily take a whole folder; only files are ever deleted here.
        e = FsPath::NotRegularError(st);
        ok = false;
    }
    TrashEntry entry;
    if (ok) ok = deletion == Deletion::ToTrash ? fs.Trash(path, &entry, &e) : fs.Unlink(path, &e);
    if (!ok) return deleteFailed(e);
    Result r = Result::made(deletion == Deletion::ToTrash ? Action::Trashed : Action::Deleted, path, QString());
    r.sourceStatus = st;
    r.trashEntry = entry;
    return r;
}

bool isSameFile(FileSystem& fs, const QString& a, const QString& b) {
    FileStatus sa, sb;
    FsError ignored;
    return fs.Stat(a, &sa, &ignored) && fs.Stat(b, &sb, &ignored) && sa.device == sb.device &&
           sa.inode == sb.inode;
}

Result overwrite(FileSystem& fs, Kind kind, const QString& source, const QString& destination,
                 Deletion deletion) {
    const Refusal media = mediaRefusal(fs, kind, source, destination);
    if (media != Refusal::None) return Result::refused(media);
    if (isSameFile(fs, source, destination)) return Result::refused(Refusal::SameFile);
    FsError e;
    FileStatus old, before;
    // A copy or move takes regular files only (a folder named "a.jpg" is never transferred).
    if (!fs.Stat(source, &before, &e)) return transferFailed(e);
    if (!before.isRegular) return transferFailed(FsPath::NotRegularError(before));
    if (!fs.Stat(destination, &old, &e) || !old.isRegular) {
        if (e.code == 0) e = FsPath::NotRegularError(old);
        return deleteFailed(e);
    }

    // 1. The new file into the destination's folder under a temporary name. A move on the same
    //    file system is a rename (undone by renaming back); otherwise a complete copy, and the
    //    source goes only at the very end.
    const QString folder = FsPath::FolderOf(destination);
    QString tmp;
    bool renamedSource = false;
    if (kind == Kind::Move) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            tmp = FileSystem::TemporaryPathIn(folder);
            if (fs.RenameNoReplace(source, tmp, &e)) {
                renamedSource = true;
                break;
            }
            if (e.code != EEXIST) break;
        }
        if (!renamedSource && e.code != EXDEV) return transferFailed(e);
    }
    FileStatus copied;
    std::optional<FileStatus> written = before;  // a renamed source is the file itself
    if (!renamedSource && !fs.CopyToTemporary(source, folder, &tmp, &e, &copied, &written))
        return transferFailed(e);
    // A move across file systems removes the source now, while the old destination is still
    // untouched: a source that cannot be removed (read-only media) stops here cleanly. Later
    // failures copy the source back from the complete temporary.
    bool sourceRemoved = false;
    auto undoStaging = [&]() {
        FsError ignored;
        if (renamedSource) {
            fs.RenameNoReplace(tmp, source, &ignored);
            return;
        }
        if (sourceRemoved && !fs.Copy(tmp, source, &ignored)) return;  // tmp: the only copy left
        fs.Unlink(tmp, &ignored);
    };
    if (kind == Kind::Move && !renamedSource) {
        // A source still being written would lose its tail with the unlink.
        if (!fs.UnchangedSince(source, copied, &e) || !fs.Unlink(source, &e)) {
            undoStaging();
            return transferFailed(e);
        }
        sourceRemoved = true;
    }

    // 2. and 3. The old destination goes, the new file takes its name.
    TrashEntry replaced;
    if (deletion == Deletion::ToTrash) {
        if (!fs.Trash(destination, &replaced, &e)) {
            undoStaging();
            return deleteFailed(e);
        }
        if (!fs.RenameNoReplace(tmp, destination, &e)) {
            undoStaging();
            return transferFailed(e);
        }
    } else if (!fs.RenameReplace(tmp, destination, &e)) {
        // A direct delete and the rename in one atomic step: no moment without either file.
        undoStaging();
        return transferFailed(e);
    }
    Result r = Result::made(kind == Kind::Copy ? Action::CopiedOver : Action::MovedOver, source, destination);
    r.sourceStatus = before;
    r.written = written;
    r.trashEntry = replaced;
    r.replacedForGood = deletion == Deletion::Directly;
    return r;
}

namespace {

Result carryOutPlan(FileSystem& fs, TransferQuestions& questions, const Plan& plan, Kind kind,
                    Deletion deletion) {
    if (!plan.ok()) {
        Result r = Result::refused(plan.refusal);
        r.outsideName = plan.outsideName;
        return r;
    }
    if (plan.collision == Collision::Ask) {
        FileStatus src, dst;
        FsError e;
        if (!fs.Stat(plan.source, &src, &e) || !fs.Stat(plan.destination, &dst, &e)) return transferFailed(e);
        if (!questions.confirmOverwrite(src, dst)) return Result::refused(Refusal::Declined);
    }
    if (plan.collision != Collision::None) return overwrite(fs, kind, plan.source, plan.destination, deletion);
    // No collision was found, so none may be created silently by a file that appeared since:
    // the copy never replaces here.
    if (kind == Kind::Copy) return copy(fs, plan.source, plan.destination, false);
    return move(fs, plan.source, plan.destination, &plan.sourceStatus);
}

}  // namespace

Result carryOut(FileSystem& fs, TransferQuestions& questions, const Plan& plan, Kind kind,
                Deletion deletion) {
    Result r = carryOutPlan(fs, questions, plan, kind, deletion);
    if (!r.done()) noteFailure(fs, plan, kind, &r);
    return r;
}

Result deleteFile(FileSystem& fs, TransferQuestions& questions, const QString& path,
                  const Options& options) {
    if (options.confirmDelete == 1 && !questions.confirmDelete(path)) return Result::refused(Refusal::Declined);
    Result r = remove(fs, path, deletionOf(options));
    if (!r.done()) r.source = path;  // named in the message
    return r;
}

}  // namespace Transfer
