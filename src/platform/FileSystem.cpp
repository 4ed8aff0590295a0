// Copy and move composed from the primitives, and the path-byte helpers. Nothing here calls the
// operating system directly, so a fault-injecting FileSystem exercises every failure path.
#include "platform/FileSystem.h"

#include "platform/FileVersion.h"
#include "platform/TemporaryJournal.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <vector>

namespace FsPath {

QByteArray encodePath(const QString& path) {
    // Nearly every path has no surrogate at all, and then it is plain UTF-8.
    const char16_t* u = reinterpret_cast<const char16_t*>(path.utf16());
    const qsizetype count = path.size();
    qsizetype k = 0;
    while (k < count && (u[k] < 0xD800 || u[k] > 0xDFFF)) ++k;
    if (k == count) return path.toUtf8();

    QByteArray out;
    out.reserve(path.size() * 3);
    const int n = path.size();
    for (int i = 0; i < n; ++i) {
        const char16_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            out += QString(path.mid(i, 2)).toUtf8();
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out += char(c - 0xDC00);  // a raw byte carried through by decodeName
        } else {
            out += QString(QChar(c)).toUtf8();
        }
    }
    return out;
}

// Length of the valid UTF-8 sequence starting at `p` (at most `left` bytes), 0 if invalid.
static int validSequence(const unsigned char* p, int left) {
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    int len;
    uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) { len = 2; cp = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { len = 3; cp = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { len = 4; cp = b & 0x07; }
    else return 0;
    if (left < len) return 0;
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
    if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
    return len;
}

QString decodeName(const QByteArray& bytes) {
    QString out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int n = bytes.size();
    int i = 0;
    while (i < n) {
        const int len = validSequence(p + i, n - i);
        if (len == 0) {
            out += QChar(char16_t(0xDC00 + p[i]));
            ++i;
        } else {
            out += QString::fromUtf8(reinterpret_cast<const char*>(p + i), len);
            i += len;
        }
    }
    return out;
}

FsError errorFor(int code) {
    FsError e;
    e.code = code;
    const char* text = strerrordesc_np(code);  // English whatever the locale
    e.reason = text ? QString::fromUtf8(text) : QStringLiteral("Error %1").arg(code);
    return e;
}

FsError notRegularError(const FileStatus& st) { return errorFor(st.isDirectory ? EISDIR : EINVAL); }

FsError changedWhileCopied() {
    return FsError{EBUSY,
                   QStringLiteral("The file changed while it was being copied (is it still "
                                  "being written?); it was left where it is"),
                   FsError::Cause::ChangedWhileCopied};
}

FsError noTrashHere() {
    return FsError{ENOTSUP, QStringLiteral("The trash does not take files from this drive (no trash folder "
                                           "serves it)"), FsError::Cause::TrashNotSupported};
}

QString folderOf(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QStringLiteral(".");
    if (slash == 0) return QStringLiteral("/");
    return path.left(slash);
}

QString nameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace FsPath

namespace {

void set(FsError* err, const FsError& e) {
    if (err) *err = e;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

bool FileSystem::isTemporaryName(const QString& name) {
    return name.startsWith(temporaryPrefix()) && name.endsWith(QLatin1String(".tmp"));
}

QString FileSystem::newTemporaryPath(const QString& folder, TemporaryRole role, const QString& name) {
    // The file's name tells whose temporary it is; forty characters of it keep the whole well
    // inside the 255 bytes a name may have.
    QString part = name.left(40);
    if (!part.isEmpty() && part.back().isHighSurrogate()) part.chop(1);
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int k = 0; k < 6; ++k) suffix += QLatin1Char(kChars[QRandomGenerator::global()->bounded(36)]);
    const QString word = role == TemporaryRole::Incoming ? QStringLiteral("incoming-") : QStringLiteral("replaced-");
    const QString path = joinPath(folder, temporaryPrefix() + word + part + QLatin1Char('-') + suffix +
                                              QStringLiteral(".tmp"));
    if (journal_) journal_->note(path);
    return path;
}

void FileSystem::settleTemporaries() {
    if (journal_) journal_->settle();
}

QStringList FileSystem::leftoverTemporaries() const {
    return journal_ ? journal_->leftovers() : QStringList();
}

bool FileSystem::isRegularFile(const QString& path) {
    FileStatus st;
    FsError ignored;
    return stat(path, &st, &ignored) && st.isRegular;
}

bool FileSystem::isDirectory(const QString& path) {
    FileStatus st;
    FsError ignored;
    return stat(path, &st, &ignored) && st.isDirectory;
}

bool FileSystem::exists(const QString& path) {
    FileStatus st;
    FsError ignored;
    return stat(path, &st, &ignored);
}

DriveType FileSystem::driveOf(const QString& path, const FileStatus*) {
    return typeOfDrive(mountPoint(path));
}

bool FileSystem::listRegularFiles(const QString& folder, QStringList* names, FsError* err) {
    QStringList all;
    names->clear();
    if (!listNames(folder, &all, err)) return false;
    for (const QString& name : all) {
        if (isRegularFile(joinPath(folder, name))) names->append(name);
    }
    return true;
}

bool FileSystem::restoreFromTrash(const TrashEntry& entry, const QString& path, FsError* err) {
    if (!renameNoReplace(entry.file, path, err)) return false;
    FsError ignored;
    unlink(entry.info, &ignored);
    return true;
}

bool FileSystem::unchangedSince(const QString& path, const FileStatus& before, FsError* err) {
    FileStatus now;
    if (!stat(path, &now, err)) return false;
    if (FileVersion::of(now) == FileVersion::of(before)) return true;
    set(err, FsPath::changedWhileCopied());
    return false;
}

bool FileSystem::copyToTemporary(const QString& source, const QString& folder,
                                 QString* temporary, FsError* err, FileStatus* copied,
                                 std::optional<FileStatus>* written) {
    FileStatus st;
    if (!stat(source, &st, err)) return false;
    if (!st.isRegular) {
        set(err, FsPath::notRegularError(st));
        return false;
    }
    int in = -1;
    if (!openRead(source, &in, err)) return false;

    // O_EXCL makes the temporary name ours alone.
    QString tmp;
    int out = -1;
    for (int attempt = 0;; ++attempt) {
        tmp = newTemporaryPath(folder, TemporaryRole::Incoming, FsPath::nameOf(source));
        FsError e;
        if (createNew(tmp, 0600, &out, &e)) break;
        if (e.code != EEXIST || attempt >= 50) {
            set(err, e);
            FsError ignored;
            close(in, &ignored);
            return false;
        }
    }

    bool ok = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        int64_t got = 0;
        if (!read(in, buffer.data(), int64_t(buffer.size()), &got, err)) { ok = false; break; }
        if (got == 0) break;
        if (!write(out, buffer.data(), got, err)) { ok = false; break; }
    }
    FsError ignored;
    // Refused on some file systems: not a failure. The attributes go first: a read-only mode
    // would forbid writing them.
    if (ok) keepExtendedAttributes(in, out, &ignored);
    if (ok) keepTimesAndMode(out, st, &ignored);
    if (ok && !fsync(out, err)) ok = false;
    if (ok) {
        if (!close(out, err)) ok = false;
    } else {
        close(out, &ignored);
    }
    close(in, &ignored);
    if (!ok) {
        unlink(tmp, &ignored);
        return false;
    }
    *temporary = tmp;
    if (copied) *copied = st;
    if (written) {
        FileStatus now;
        if (stat(tmp, &now, &ignored)) *written = now;
        else written->reset();
    }
    return true;
}

bool FileSystem::copy(const QString& source, const QString& destination, FsError* err,
                      bool replace, FileStatus* copied, std::optional<FileStatus>* written) {
    QString tmp;
    if (!copyToTemporary(source, FsPath::folderOf(destination), &tmp, err, copied, written)) return false;
    if (!(replace ? renameReplace(tmp, destination, err) : renameNoReplace(tmp, destination, err))) {
        FsError ignored;
        unlink(tmp, &ignored);
        return false;
    }
    return true;
}

bool FileSystem::move(const QString& source, const QString& destination, FsError* err,
                      std::optional<FileStatus>* written) {
    FsError e;
    if (renameNoReplace(source, destination, &e)) return true;
    if (e.code != EXDEV) {
        set(err, e);
        return false;
    }
    // Across file systems: the copy is complete and under its final name before the source
    // goes, and taken back if the source cannot go. A source another program is still
    // writing would lose what it writes after the copy: it stays, the copy goes.
    QString tmp;
    FileStatus copied;
    if (!copyToTemporary(source, FsPath::folderOf(destination), &tmp, err, &copied, written)) return false;
    FsError ignored;
    if (!renameNoReplace(tmp, destination, err)) {
        unlink(tmp, &ignored);
        return false;
    }
    if (!unchangedSince(source, copied, err) || !unlink(source, err)) {
        unlink(destination, &ignored);
        return false;
    }
    return true;
}
