#pragma once
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <QStringList>

#include <cstdint>
#include <sys/types.h>

#include "platform/FileIdentity.h"

class TemporaryJournal;

// Why a file-system call failed: an errno value (0 when none applies), the system's own one-line
// text in English (strerror's, or the trash's), and what the errno cannot say. The window shows
// a Japanese reason made from these (Transfer::reasonFor); the English text only stands in for a
// cause that has none.
struct FsError {
    enum class Cause {
        Errno,               // `code` says it all
        ChangedWhileCopied,  // a move's source changed while it was being copied (code EBUSY)
        TrashNotSupported,   // the trash refuses files of this place (code EOPNOTSUPP)
        NoTrashFolder,       // no trash folder could be found or made for the file (code EIO)
        TrashFailed,         // another refusal of the trash, told only in `reason` (code EIO)
        LinkWouldBreak,      // a moved symbolic link would no longer reach its file (code ELOOP)
    };
    int code = 0;
    QString reason;
    Cause cause = Cause::Errno;
};

// What stat(2) says about a path (symlinks followed: a link to a regular file is one), or
// lstat(2) for linkStatus (then isSymlink says whether the path is a link).
struct FileStatus {
    bool isRegular = false;
    bool isDirectory = false;
    bool isSymlink = false;
    int64_t size = 0;
    int64_t mtimeSec = 0;
    int64_t mtimeNsec = 0;
    int64_t ctimeSec = 0;  // status change: a write, a rename onto it, a chmod...
    int64_t ctimeNsec = 0;
    uint32_t mode = 0;  // permission bits only
    uint64_t device = 0;
    uint64_t inode = 0;
    bool hasBirth = false;  // the file system keeps birth times (statx)
    int64_t birthSec = 0;
    int64_t birthNsec = 0;
    // Whether the path's last component is itself a symbolic link, where the look could tell
    // (the real file system's stat and linkStatus both do, at no extra call for a path that
    // is none). A move needs this: a link moves as a link that still reaches its picture.
    enum class PathLink : uint8_t { Unknown, No, Yes };
    PathLink pathLink = PathLink::Unknown;

    FileIdentity identity() const {
        FileIdentity id;
        id.device = device;
        id.inode = inode;
        id.hasBirth = hasBirth;
        id.birthSec = birthSec;
        id.birthNsec = birthNsec;
        id.size = size;
        id.mtimeSec = mtimeSec;
        id.mtimeNsec = mtimeNsec;
        return id;
    }
};

// The entry the trash made for a file: its path in the trash's files/ folder, its .trashinfo in
// the info/ folder beside it, and the identity of the trashed file as it lies in the trash (a
// symbolic link's own; the trash renames within the file's own file system, so it is the file
// itself). Empty when it could not be found.
struct TrashEntry {
    QString file;
    QString info;
    FileIdentity identity;
    bool known() const { return !file.isEmpty(); }
};

// Only CD-ROM matters to the callers: it is refused as a source of moves and deletes and as a
// destination of copies and moves. Everything else is "Other".
enum class DriveType { Other, CdRom };

// Every file-system call of the copy, move and delete path goes through this interface, so a test
// can fail any one of them. Paths are QStrings; names that are not valid UTF-8 travel as lone
// surrogates U+DC80..U+DCFF, one per undecodable byte (see encodePath/decodeName), so every
// name readdir gives can be reached again.
//
// The primitives are virtual; Copy, Move and the helpers below are built on them only.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // --- primitives -------------------------------------------------------------------------
    // stat(2). False with ENOENT etc. when the path cannot be looked up.
    // May tell whether the path itself is a link (FileStatus::pathLink).
    virtual bool stat(const QString& path, FileStatus* out, FsError* err) = 0;
    // lstat(2): the path itself, a symbolic link not followed (isSymlink then).
    virtual bool linkStatus(const QString& path, FileStatus* out, FsError* err) = 0;
    // The target the symbolic link `path` holds, as written.
    virtual bool readLink(const QString& path, QString* target, FsError* err) = 0;
    // Makes `path` a symbolic link to `target`; EEXIST when anything already has that name.
    virtual bool makeLink(const QString& target, const QString& path, FsError* err) = 0;
    // link(2): `to` becomes a second name of the file `from` (a symbolic link is not followed);
    // never replaces (EEXIST). EXDEV across file systems; EPERM or EOPNOTSUPP where the file
    // system has no hard links.
    virtual bool hardLink(const QString& from, const QString& to, FsError* err) = 0;
    // Whether the trash takes `path` (a symbolic link itself, not followed), decided as the
    // trash decides it: false with the reason where it has no trash for that mount (system
    // mounts such as a tmpfs outside the home, a read-only folder).
    virtual bool canTrash(const QString& path, FsError* err) = 0;
    // realpath(3): `path` with every symbolic link and "." or ".." resolved.
    virtual bool realPath(const QString& path, QString* real, FsError* err) = 0;
    // Names in `folder` (not "." and ".."), in readdir order.
    virtual bool listNames(const QString& folder, QStringList* names, FsError* err) = 0;
    // A descriptor for reading the regular file at `path`; anything else (a pipe, a device, a
    // folder) fails with EINVAL without being waited on.
    virtual bool openRead(const QString& path, int* fd, FsError* err) = 0;
    // Reads up to `size` bytes; `*got` 0 means end of file.
    virtual bool read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) = 0;
    // Creates `path` for writing; fails with EEXIST when anything already has that name.
    virtual bool createNew(const QString& path, uint32_t mode, int* fd, FsError* err) = 0;
    // Writes all `size` bytes (short writes are continued).
    virtual bool write(int fd, const char* data, int64_t size, FsError* err) = 0;
    // Gives the open file the modification time and permission bits of `from`. The file system
    // may refuse (FAT, exFAT, network shares); the caller does not treat that as a failure.
    virtual bool keepTimesAndMode(int fd, const FileStatus& from, FsError* err) = 0;
    // Gives the open file `toFd` the user.* extended attributes of the open file `fromFd`
    // (tags, ratings and comments desktop tools keep there). The destination's file system
    // may hold none or not all of them; the caller does not treat that as a failure.
    virtual bool keepExtendedAttributes(int fromFd, int toFd, FsError* err) = 0;
    virtual bool fsync(int fd, FsError* err) = 0;
    // The descriptor is released even when close reports an error.
    virtual bool close(int fd, FsError* err) = 0;
    // Renames without ever replacing an existing `to` (EEXIST then): renameat2 RENAME_NOREPLACE,
    // or link + unlink where the file system lacks it. EXDEV across file systems.
    virtual bool renameNoReplace(const QString& from, const QString& to, FsError* err) = 0;
    // rename(2): atomically replaces an existing `to`.
    virtual bool renameReplace(const QString& from, const QString& to, FsError* err) = 0;
    virtual bool unlink(const QString& path, FsError* err) = 0;
    // To the freedesktop.org trash. A trash that fails leaves the file where it was. `entry`,
    // when given, receives the entry made, or stays empty when it cannot be found (the file is
    // in the trash all the same).
    virtual bool trash(const QString& path, TrashEntry* entry, FsError* err) = 0;
    // The mount point holding `path` (its nearest existing parent when it does not exist), with
    // no final "/" except for the root "/" itself.
    virtual QString mountPoint(const QString& path) = 0;
    // The kind of drive mounted at `mountPoint` (a value mountPoint returned).
    virtual DriveType typeOfDrive(const QString& mountPoint) = 0;
    // The kind of drive holding `path`: typeOfDrive(mountPoint(path)). `status`, when given, is
    // what Stat just said of `path`, so an implementation may answer from it without looking
    // the path up again.
    virtual DriveType driveOf(const QString& path, const FileStatus* status = nullptr);

    // --- composed operations (guarantees hold for any implementation of the primitives) ----
    // Copies the regular file `source` to the full path `destination`, replacing a file there:
    // the bytes go to a temporary beside the destination (newTemporaryPath), get the source's
    // mtime and mode where allowed, are fsynced, and the temporary is renamed over it. On
    // failure the destination is untouched and no temporary remains.
    // With `replace` false an existing `destination` (even one that appeared after the caller
    // looked) is left alone and the copy fails with EEXIST. `*copied`, when given, receives the
    // source's status taken before its bytes were read; `*written` that of the new file.
    bool copy(const QString& source, const QString& destination, FsError* err, bool replace = true,
              FileStatus* copied = nullptr, std::optional<FileStatus>* written = nullptr);
    // Moves `source` to the full path `destination`, never replacing an existing file (EEXIST).
    // Across file systems: copy as above into place, then remove the source, but only if it is
    // still the file that was copied (unchangedSince); if it changed or cannot be removed the
    // copy is taken back. On failure the source stays where it was and nothing new remains
    // under any name. `*written`, when given and the move had to copy, receives the status of
    // the copy now at `destination`.
    bool move(const QString& source, const QString& destination, FsError* err,
              std::optional<FileStatus>* written = nullptr);
    // Copies `source` into `folder` under a fresh temporary name (complete, fsynced, closed)
    // and returns that name in `*temporary`; `*copied`, when given, receives the source's
    // status taken before its bytes were read. On failure nothing remains.
    // `*written`, when given, receives the temporary's status, looked at under the name only this
    // call knows, so it is the file written: a rename into place keeps its device and inode. It
    // stays empty when the look fails, which fails nothing.
    bool copyToTemporary(const QString& source, const QString& folder, QString* temporary,
                         FsError* err, FileStatus* copied = nullptr,
                         std::optional<FileStatus>* written = nullptr);
    // True when `path` is still the file `before` described: the same identity (FileIdentity)
    // and change time. A file another program is still writing (a download, a
    // camera import) fails this, and then *err says so (ChangedWhileCopied).
    bool unchangedSince(const QString& path, const FileStatus& before, FsError* err);
    // Puts the trashed file of `entry` back at `path` as a file manager's restore does: renamed
    // back without ever replacing a file there (EEXIST), then its .trashinfo removed (a stale
    // .trashinfo names no file and is no failure). The caller makes sure the entry is still the
    // file it trashed.
    bool restoreFromTrash(const TrashEntry& entry, const QString& path, FsError* err);
    // Reads `folder` once and hands `take` every name `wanted` accepts that is a regular file or
    // a link to one, in readdir order. `wanted` sees the raw bytes before any decoding, so a
    // folder of tens of thousands of photos is read in milliseconds; a link, or a file system
    // that gives no type, is asked with stat, which never opens anything (a pipe named y.jpg
    // is passed over without blocking).
    using NameTest = std::function<bool(const char* name, size_t length)>;
    using NameSink = std::function<void(const char* name, size_t length)>;
    virtual bool listFiles(const QString& folder, const NameTest& wanted, const NameSink& take, FsError* err);
    // Regular files of `folder` (symlinks to regular files included), in readdir order.
    bool listRegularFiles(const QString& folder, QStringList* names, FsError* err);
    // Whether `path` names a regular file / a directory (false when it cannot be looked up).
    bool isRegularFile(const QString& path);
    bool isDirectory(const QString& path);
    // Whether anything can be looked up at `path`. Literal: "*", "?" and "[" are ordinary
    // characters; a folder is found with or without a final "/".
    bool exists(const QString& path);

    // What a temporary holds, and so the word its name carries.
    enum class TemporaryRole {
        Incoming,  // the new file on its way to its name: a copy, a second link, a new link
        Replaced,  // the file an overwrite replaces, set aside until the overwrite is done
    };
    // A fresh temporary path in `folder` for `role` and the file called `name`: hidden, and
    // telling what it is (".orvane-incoming-a.jpg-k3x9q2.tmp", the name cut short so a long
    // one never makes it too long). Noted in the journal, when one is set, before anything is
    // made under it; callers create or rename onto it without replacing, and pick another name
    // on EEXIST.
    QString newTemporaryPath(const QString& folder, TemporaryRole role, const QString& name);
    // Where temporaries are noted while they may exist (null: nowhere). Not owned.
    void setJournal(TemporaryJournal* journal) { journal_ = journal; }
    // After an action: temporaries that are gone are forgotten; any still there stay noted.
    void settleTemporaries();
    // Temporaries the journal listed at its start that still exist: an earlier run was ended
    // mid-way (empty without a journal).
    QStringList leftoverTemporaries() const;
    // Temporary names start with this prefix (a dot: hidden in file managers).
    static QString temporaryPrefix() { return QStringLiteral(".orvane-"); }
    static bool isTemporaryName(const QString& name);

private:
    TemporaryJournal* journal_ = nullptr;
};

// The real file system: POSIX calls, GIO's g_file_trash, /proc/self/mountinfo.
class PosixFileSystem : public FileSystem {
public:
    bool stat(const QString& path, FileStatus* out, FsError* err) override;
    bool listNames(const QString& folder, QStringList* names, FsError* err) override;
    bool openRead(const QString& path, int* fd, FsError* err) override;
    bool read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) override;
    bool createNew(const QString& path, uint32_t mode, int* fd, FsError* err) override;
    bool write(int fd, const char* data, int64_t size, FsError* err) override;
    bool keepTimesAndMode(int fd, const FileStatus& from, FsError* err) override;
    bool keepExtendedAttributes(int fromFd, int toFd, FsError* err) override;
    bool fsync(int fd, FsError* err) override;
    bool close(int fd, FsError* err) override;
    bool renameNoReplace(const QString& from, const QString& to, FsError* err) override;
    bool renameReplace(const QString& from, const QString& to, FsError* err) override;
    bool unlink(const QString& path, FsError* err) override;
    bool trash(const QString& path, TrashEntry* entry, FsError* err) override;
    bool linkStatus(const QString& path, FileStatus* out, FsError* err) override;
    bool readLink(const QString& path, QString* target, FsError* err) override;
    bool makeLink(const QString& target, const QString& path, FsError* err) override;
    bool hardLink(const QString& from, const QString& to, FsError* err) override;
    // GIO's answer (G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH), the one g_file_trash acts on.
    bool canTrash(const QString& path, FsError* err) override;
    bool realPath(const QString& path, QString* real, FsError* err) override;
    QString mountPoint(const QString& path) override;
    DriveType typeOfDrive(const QString& mountPoint) override;
    // From the device number, through a copy of the mount table that is read again after a
    // watcher thread saw the kernel report a mount or unmount; the mount point is resolved only
    // for a device no mount names.
    DriveType driveOf(const QString& path, const FileStatus* status = nullptr) override;
};

namespace FsPath {
// File-name bytes of `path`: UTF-8, with U+DC80..U+DCFF standing for the raw byte 0x80..0xFF.
QByteArray encodePath(const QString& path);
// The inverse: valid UTF-8 decodes as usual, every byte of an invalid sequence becomes
// U+DC00 + byte. encodePath(decodeName(b)) == b for every b.
QString decodeName(const QByteArray& bytes);
// An FsError for `code` with the system's English description.
FsError errorFor(int code);
// The error for a path that is there but is no regular file: EISDIR for a folder, else EINVAL.
FsError notRegularError(const FileStatus& st);
// The error of a move whose source changed while it was being copied.
FsError changedWhileCopied();
// The error of a file the trash cannot take: no trash serves its mount.
FsError noTrashHere();
// The folder part of `path` (without final "/"; "/" for a file in the root, "." for a bare name).
QString folderOf(const QString& path);
// The last component of `path` ("" when it ends in "/").
QString nameOf(const QString& path);
// `folder` with a final "/" added when it has none.
QString withSlash(const QString& folder);
}  // namespace FsPath
