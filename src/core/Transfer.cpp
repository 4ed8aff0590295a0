#include "core/Transfer.h"

#include <cerrno>
#include <cstring>

#include "core/FailureReasons.h"
#include "core/TransferLinks.h"

namespace Transfer {

bool onCdRom(FileSystem& fs, const QString& path, const FileStatus* status) {
    return fs.driveOf(path, status) == DriveType::CdRom;
}

Refusal mediaRefusal(FileSystem& fs, Kind kind, const QString& source, const QString& destination) {
    if (kind == Kind::Copy) return onCdRom(fs, destination) ? Refusal::CopyToCdRom : Refusal::None;
    if (onCdRom(fs, source)) return Refusal::MoveFromCdRom;
    if (onCdRom(fs, destination)) return Refusal::MoveToCdRom;
    return Refusal::None;
}

namespace {

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
    if (!fs.copy(source, target, &e, replace, &r.sourceStatus, &r.written)) return transferFailed(e);
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
        found = fs.stat(source, &st, &e);
    if (onCdRom(fs, source, found ? &st : nullptr)) return Result::refused(Refusal::MoveFromCdRom);
    const QString target = resolveDestination(source, destination);
    Result r = Result::made(Action::Moved, source, target);
    r.sourceStatus = st;
    if (found && st.isRegular) {
        // A symbolic link moves as a link that still reaches its picture, on any file system.
        // The look that found the file says whether its name is a link; the name itself is
        // looked at only where that look could not tell, or found a link.
        FileStatus self;
        if (st.pathLink != FileStatus::PathLink::No && !fs.linkStatus(source, &self, &e)) return transferFailed(e);
        if (self.isSymlink) {
            if (onCdRom(fs, destination)) return Result::refused(Refusal::MoveToCdRom);
            FileStatus made;
            if (!links::makeLinkLike(fs, source, target, st, &made, &e)) return transferFailed(e);
            // The old link goes only if it is still the link read.
            FileStatus now;
            FsError ignored;
            if (!fs.linkStatus(source, &now, &e) || now.identity() != self.identity() || !fs.unlink(source, &e)) {
                if (e.code == 0) e = FsPath::changedWhileCopied();
                fs.unlink(target, &ignored);
                return transferFailed(e);
            }
            r.written = made;
            return r;
        }
        if (fs.renameNoReplace(source, target, &e)) {
            r.written = st;  // renamed: the same file
            return r;
        }
    } else if (found) {
        e = FsPath::notRegularError(st);
    }
    if (onCdRom(fs, destination)) return Result::refused(Refusal::MoveToCdRom);
    // Across file systems the rename said EXDEV, and Move copies instead.
    if (!found || !st.isRegular || e.code != EXDEV || !fs.move(source, target, &e, &r.written))
        return transferFailed(e);
    return r;
}

Result remove(FileSystem& fs, const QString& path, Deletion deletion) {
    if (onCdRom(fs, path)) return Result::refused(Refusal::DeleteOnCdRom);
    FsError e;
    FileStatus st;
    bool ok = fs.stat(path, &st, &e);
    if (ok && !st.isRegular) {
        // The trash would happily take a whole folder; only files are ever deleted here.
        e = FsPath::notRegularError(st);
        ok = false;
    }
    TrashEntry entry;
    if (ok) ok = deletion == Deletion::ToTrash ? fs.trash(path, &entry, &e) : fs.unlink(path, &e);
    if (!ok) return deleteFailed(e);
    Result r = Result::made(deletion == Deletion::ToTrash ? Action::Trashed : Action::Deleted, path, QString());
    r.sourceStatus = st;
    r.trashEntry = entry;
    return r;
}

bool isSameFile(FileSystem& fs, const QString& a, const QString& b) {
    FileStatus sa, sb;
    FsError ignored;
    return fs.stat(a, &sa, &ignored) && fs.stat(b, &sb, &ignored) && sa.device == sb.device &&
           sa.inode == sb.inode;
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
        if (!fs.stat(plan.source, &src, &e) || !fs.stat(plan.destination, &dst, &e)) return transferFailed(e);
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
    if (options.confirmDelete && !questions.confirmDelete(path)) return Result::refused(Refusal::Declined);
    Result r = remove(fs, path, deletionOf(options));
    if (!r.done()) r.source = path;  // named in the message
    return r;
}

}  // namespace Transfer
