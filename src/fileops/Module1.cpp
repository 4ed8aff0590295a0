#include "Module1.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "FileSystem.h"
#include "MsgBox.h"

namespace Module1 {

namespace {

const char kCopyToCdRom[] = "指定のメディアへのコピーはできません。";
const char kMoveFromCdRom[] = "指定のメディアからの移動はできません。";
const char kMoveToCdRom[] = "指定のメディアへの移動はできません。";
const char kDeleteOnCdRom[] = "指定のメディアのファイルは削除はできません。";
const char kTransferFailed[] = "ファイルを転送できませんでした";
const char kDeleteFailed[] = "ファイルを削除できませんでした";

void Tell(MsgBox& msg, const QString& text) {
    msg.Show(text, QStringLiteral("Orvane"), MsgButtons::Ok, vbOK);
}

void TellFailure(MsgBox& msg, const char* what, const FsError& e) {
    Tell(msg, QString::fromUtf8(what) + QLatin1Char('\n') + e.reason);
}

bool OnCdRom(FileSystem& fs, const QString& path, const FileStatus* status = nullptr) {
    return fs.DriveOf(path, status) == DriveType::CdRom;
}

// A copy or move takes regular files only (a folder named "a.jpg" is never transferred).
bool SourceIsRegular(FileSystem& fs, const QString& source, FsError* err) {
    FileStatus st;
    if (!fs.Stat(source, &st, err)) return false;
    if (!st.isRegular) {
        *err = FsPath::NotRegularError(st);
        return false;
    }
    return true;
}

// Refusals of copying to, or moving from and to, a CD-ROM. Shows the first that applies.
bool MediaRefused(MsgBox& msg, FileSystem& fs, TransferKind kind, const QString& source,
                  const QString& destination) {
    if (kind == TransferKind::Copy) {
        if (OnCdRom(fs, destination)) {
            Tell(msg, QString::fromUtf8(kCopyToCdRom));
            return true;
        }
        return false;
    }
    if (OnCdRom(fs, source)) {
        Tell(msg, QString::fromUtf8(kMoveFromCdRom));
        return true;
    }
    if (OnCdRom(fs, destination)) {
        Tell(msg, QString::fromUtf8(kMoveToCdRom));
        return true;
    }
    return false;
}

QString Describe(const FileStatus& st) {
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(
        st.mtimeSec * 1000 + st.mtimeNsec / 1000000);
    return QString::number(st.size) + QStringLiteral("bytes ") +
           QLocale().toString(when, QLocale::ShortFormat);
}

}  // namespace

QString GetDriveName(FileSystem& fs, const QString& path) { return fs.MountPoint(path); }

bool IsCdRomDrive(FileSystem& fs, const QString& driveName) {
    return fs.TypeOfDrive(driveName) == DriveType::CdRom;
}

QString ResolveDestination(const QString& source, const QString& destination) {
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

bool CopyToFolder(MsgBox& msg, FileSystem& fs, const QString& source, const QString& destination,
                  bool replace) {
    if (MediaRefused(msg, fs, TransferKind::Copy, source, destination)) return false;
    FsError e;
    if (!fs.Copy(source, ResolveDestination(source, destination), &e, replace)) {
        TellFailure(msg, kTransferFailed, e);
        return false;
    }
    return true;
}

bool MoveToFolder(MsgBox& msg, FileSystem& fs, const QString& source, const QString& destination,
                  const FileStatus* sourceStatus) {
    // The checks come in the order MediaRefused gives them, but one stat of the source serves
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
    if (OnCdRom(fs, source, found ? &st : nullptr)) {
        Tell(msg, QString::fromUtf8(kMoveFromCdRom));
        return false;
    }
    const QString target = ResolveDestination(source, destination);
    if (found && st.isRegular) {
        if (fs.RenameNoReplace(source, target, &e)) return true;
    } else if (found) {
        e = FsPath::NotRegularError(st);
    }
    if (OnCdRom(fs, destination)) {
        Tell(msg, QString::fromUtf8(kMoveToCdRom));
        return false;
    }
    // Across file systems the rename said EXDEV, and Move copies instead.
    if (!found || !st.isRegular || e.code != EXDEV || !fs.Move(source, target, &e)) {
        TellFailure(msg, kTransferFailed, e);
        return false;
    }
    return true;
}

bool RemoveFile(MsgBox& msg, FileSystem& fs, const QString& path, Deletion deletion) {
    if (OnCdRom(fs, path)) {
        Tell(msg, QString::fromUtf8(kDeleteOnCdRom));
        return false;
    }
    FsError e;
    FileStatus st;
    bool ok = fs.Stat(path, &st, &e);
    if (ok && !st.isRegular) {
        // The trash would happily take a whole folder; only files are ever deleted here.
        e = FsPath::NotRegularError(st);
        ok = false;
    }
    if (ok) {
        ok = deletion == Deletion::ToTrash ? fs.Trash(path, &e) : fs.Unlink(path, &e);
    }
    if (!ok) TellFailure(msg, kDeleteFailed, e);
    return ok;
}

int ConfirmOverwrite(MsgBox& msg, FileSystem& fs, const QString& source,
                     const QString& destination) {
    FileStatus src, dst;
    FsError e;
    if (!fs.Stat(source, &src, &e) || !fs.Stat(destination, &dst, &e)) {
        TellFailure(msg, kTransferFailed, e);
        return vbNo;
    }
    const QString text = QStringLiteral("同ファイル名が存在。上書き？\n転送元 ") + Describe(src) +
                         QStringLiteral("\n転送先 ") + Describe(dst);
    const int answer = msg.Show(text, QStringLiteral("上書き確認"), MsgButtons::YesNo, vbYes);
    return answer == vbNo ? vbNo : vbYes;
}

bool IsSameFile(FileSystem& fs, const QString& a, const QString& b) {
    FileStatus sa, sb;
    FsError ignored;
    return fs.Stat(a, &sa, &ignored) && fs.Stat(b, &sb, &ignored) && sa.device == sb.device &&
           sa.inode == sb.inode;
}

QString SameFileMessage() { return QStringLiteral("転送元と転送先が同じファイルです"); }

bool OverwriteTransfer(MsgBox& msg, FileSystem& fs, TransferKind kind, const QString& source,
                       const QString& destination, Deletion deletion) {
    if (MediaRefused(msg, fs, kind, source, destination)) return false;
    if (IsSameFile(fs, source, destination)) {
        Tell(msg, SameFileMessage());
        return false;
    }
    FsError e;
    FileStatus old;
    if (!SourceIsRegular(fs, source, &e)) {
        TellFailure(msg, kTransferFailed, e);
        return false;
    }
    if (!fs.Stat(destination, &old, &e) || !old.isRegular) {
        if (e.code == 0) e = FsPath::NotRegularError(old);
        TellFailure(msg, kDeleteFailed, e);
        return false;
    }

    // 1. The new file into the destination's folder under a temporary name. A move on the same
    //    file system is a rename (undone by renaming back); otherwise a complete copy, and the
    //    source goes only at the very end.
    const QString folder = FsPath::FolderOf(destination);
    QString tmp;
    bool renamedSource = false;
    if (kind == TransferKind::Move) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            tmp = FileSystem::TemporaryPathIn(folder);
            if (fs.RenameNoReplace(source, tmp, &e)) {
                renamedSource = true;
                break;
            }
            if (e.code != EEXIST) break;
        }
        if (!renamedSource && e.code != EXDEV) {
            TellFailure(msg, kTransferFailed, e);
            return false;
        }
    }
    FileStatus copied;
    if (!renamedSource && !fs.CopyToTemporary(source, folder, &tmp, &e, &copied)) {
        TellFailure(msg, kTransferFailed, e);
        return false;
    }
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
    if (kind == TransferKind::Move && !renamedSource) {
        // A source still being written would lose its tail with the unlink.
        if (!fs.UnchangedSince(source, copied, &e) || !fs.Unlink(source, &e)) {
            undoStaging();
            TellFailure(msg, kTransferFailed, e);
            return false;
        }
        sourceRemoved = true;
    }

    // 2. and 3. The old destination goes, the new file takes its name.
    if (deletion == Deletion::ToTrash) {
        if (!fs.Trash(destination, &e)) {
            undoStaging();
            TellFailure(msg, kDeleteFailed, e);
            return false;
        }
        if (!fs.RenameNoReplace(tmp, destination, &e)) {
            undoStaging();
            TellFailure(msg, kTransferFailed, e);
            return false;
        }
    } else if (!fs.RenameReplace(tmp, destination, &e)) {
        // A direct delete and the rename in one atomic step: no moment without either file.
        undoStaging();
        TellFailure(msg, kTransferFailed, e);
        return false;
    }
    return true;
}

QString CommandLinePath(const QString& given, const QString& startDir) {
    if (given.isEmpty()) return given;
    const QString absolute =
        given.startsWith(QLatin1Char('/')) ? given : startDir + QLatin1Char('/') + given;
    struct stat named;
    if (::stat(QFile::encodeName(absolute).constData(), &named) != 0) return absolute;
    // Taken out by text, "x/.." is the folder holding x; the system goes through x when it is
    // a link. Where the two differ the path is resolved instead, so the same file opens.
    const QString tidy = QDir::cleanPath(absolute);
    struct stat tidied;
    if (::stat(QFile::encodeName(tidy).constData(), &tidied) == 0 && tidied.st_dev == named.st_dev &&
        tidied.st_ino == named.st_ino)
        return tidy;
    const QString resolved = QFileInfo(absolute).canonicalFilePath();
    return resolved.isEmpty() ? absolute : resolved;
}

QString LastPathComponent(QString& path) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    int end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char('/')) --end;
    if (end == 0) return QStringLiteral("/");
    const int start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return path.mid(start, end - start);
}

}  // namespace Module1
