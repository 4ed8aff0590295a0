// The real file system: POSIX calls, GIO's trash and the kernel's mount table.
// GIO first: Qt's "signals" macro would break its headers.
#include <gio/gio.h>

#include "FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

#include "MountTable.h"
#include "NativePath.h"

namespace {

bool Fail(FsError* err, int code) {
    if (err) *err = FsPath::ErrorFor(code);
    return false;
}

// realpath of `path` or of its nearest existing parent.
QByteArray ResolvedExisting(QByteArray path) {
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) path = QByteArray(cwd) + '/' + path;
    }
    for (;;) {
        char resolved[PATH_MAX];
        if (realpath(path.constData(), resolved)) return QByteArray(resolved);
        const int slash = path.lastIndexOf('/');
        if (slash <= 0) return QByteArray("/");
        path.truncate(slash);
    }
}

}  // namespace

bool PosixFileSystem::Stat(const QString& path, FileStatus* out, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
    struct stat st;
    if (::stat(p.constData(), &st) != 0) return Fail(err, errno);
    out->isRegular = S_ISREG(st.st_mode);
    out->isDirectory = S_ISDIR(st.st_mode);
    out->size = st.st_size;
    out->mtimeSec = st.st_mtim.tv_sec;
    out->mtimeNsec = st.st_mtim.tv_nsec;
    out->ctimeSec = st.st_ctim.tv_sec;
    out->ctimeNsec = st.st_ctim.tv_nsec;
    out->mode = st.st_mode & 07777;
    out->device = st.st_dev;
    out->inode = st.st_ino;
    return true;
}

bool PosixFileSystem::ListNames(const QString& folder, QStringList* names, FsError* err) {
    names->clear();
    NativePath p;
    if (!p.Set(folder, err)) return false;
    DIR* dir = opendir(p.constData());
    if (!dir) return Fail(err, errno);
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) break;
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        names->append(FsPath::DecodeName(name));
    }
    const int readErr = errno;
    closedir(dir);
    if (readErr != 0) return Fail(err, readErr);
    return true;
}

bool PosixFileSystem::OpenRead(const QString& path, int* fd, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
    const int f = ::open(p.constData(), O_RDONLY | O_CLOEXEC);
    if (f < 0) return Fail(err, errno);
    *fd = f;
    return true;
}

bool PosixFileSystem::Read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n >= 0) {
            *got = n;
            return true;
        }
        if (errno != EINTR) return Fail(err, errno);
    }
}

bool PosixFileSystem::CreateNew(const QString& path, uint32_t mode, int* fd, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
    const int f = ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    if (f < 0) return Fail(err, errno);
    *fd = f;
    return true;
}

bool PosixFileSystem::Write(int fd, const char* data, int64_t size, FsError* err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(err, errno);
        }
        if (n == 0) return Fail(err, EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool PosixFileSystem::KeepTimesAndMode(int fd, const FileStatus& from, FsError* err) {
    bool ok = true;
    int code = 0;
    if (::fchmod(fd, mode_t(from.mode)) != 0) { ok = false; code = errno; }
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(from.mtimeSec);
    times[1].tv_nsec = long(from.mtimeNsec);
    if (::futimens(fd, times) != 0) { ok = false; code = errno; }
    return ok ? true : Fail(err, code);
}

bool PosixFileSystem::KeepExtendedAttributes(int fromFd, int toFd, FsError* err) {
    // The list may grow between asking its size and reading it: then it is asked again.
    std::vector<char> names;
    ssize_t listed = 0;
    for (int attempt = 0;; ++attempt) {
        listed = ::flistxattr(fromFd, nullptr, 0);
        if (listed < 0) return errno == ENOTSUP ? true : Fail(err, errno);  // none to keep
        if (listed == 0) return true;
        names.resize(size_t(listed));
        listed = ::flistxattr(fromFd, names.data(), names.size());
        if (listed >= 0) break;
        if (errno != ERANGE || attempt >= 3) return Fail(err, errno);
    }
    // user.* only: security.* labels belong to the destination's policy, trusted.* needs
    // privileges, and system.* (access lists) would override the mode the copy is given.
    int code = 0;
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + listed;
         name += std::strlen(name) + 1) {
        if (std::strncmp(name, "user.", 5) != 0) continue;
        ssize_t size = ::fgetxattr(fromFd, name, nullptr, 0);
        if (size >= 0) {
            value.resize(size_t(size) + 1);
            size = ::fgetxattr(fromFd, name, value.data(), value.size());
        }
        if (size < 0 || ::fsetxattr(toFd, name, value.data(), size_t(size), 0) != 0) code = errno;
    }
    return code == 0 ? true : Fail(err, code);
}

bool PosixFileSystem::Fsync(int fd, FsError* err) {
    if (::fsync(fd) != 0) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::Close(int fd, FsError* err) {
    // Linux releases the descriptor even when close fails, so it is never retried.
    if (::close(fd) != 0 && errno != EINTR) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::RenameNoReplace(const QString& from, const QString& to, FsError* err) {
    NativePath f, t;
    if (!f.Set(from, err) || !t.Set(to, err)) return false;
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int code = errno;
    if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP) return Fail(err, code);

    // No RENAME_NOREPLACE here: a hard link cannot replace either.
    if (::link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) == 0) return true;
        const int unlinkErr = errno;
        ::unlink(t.constData());
        return Fail(err, unlinkErr);
    }
    const int linkErr = errno;
    if (linkErr != EPERM && linkErr != EOPNOTSUPP && linkErr != ENOSYS) return Fail(err, linkErr);
    // Neither is supported (some network and FUSE file systems): test, then rename. The window
    // between the two is the best such a file system allows.
    struct stat st;
    if (::lstat(t.constData(), &st) == 0) return Fail(err, EEXIST);
    if (::rename(f.constData(), t.constData()) != 0) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::RenameReplace(const QString& from, const QString& to, FsError* err) {
    NativePath f, t;
    if (!f.Set(from, err) || !t.Set(to, err)) return false;
    if (::rename(f.constData(), t.constData()) != 0) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::Unlink(const QString& path, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
    if (::unlink(p.constData()) != 0) return Fail(err, errno);
    return true;
}

namespace {

// The entry in `trash`/files of the file that was (device, inode) and was called `name`: the
// trash renamed it within its file system, so it keeps its identity. Entries are matched by
// readdir's inode first; where a file system reports other numbers there, the names the trash
// makes from the old one ("a.jpg", "a.2.jpg") are looked at.
bool FindTrashEntry(const QByteArray& trash, dev_t device, ino_t inode, const QByteArray& name,
                    TrashEntry* entry) {
    const QByteArray files = trash + "/files";
    struct stat st;
    if (::stat(files.constData(), &st) != 0 || st.st_dev != device) return false;
    DIR* dir = opendir(files.constData());
    if (!dir) return false;
    const QByteArray stem = name.left(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
    QByteArray found;
    std::vector<QByteArray> likely;
    while (const dirent* e = readdir(dir)) {
        const QByteArray entryName(e->d_name);
        if (entryName == "." || entryName == "..") continue;
        if (e->d_ino == inode) {
            if (::fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device &&
                st.st_ino == inode) {
                found = entryName;
                break;
            }
        } else if (entryName.startsWith(stem)) {
            likely.push_back(entryName);
        }
    }
    for (size_t k = 0; found.isEmpty() && k < likely.size(); ++k) {
        if (::fstatat(dirfd(dir), likely[k].constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_dev == device && st.st_ino == inode)
            found = likely[k];
    }
    closedir(dir);
    if (found.isEmpty()) return false;
    entry->file = FsPath::DecodeName(files + '/' + found);
    entry->info = FsPath::DecodeName(trash + "/info/" + found + ".trashinfo");
    entry->device = uint64_t(device);
    entry->inode = uint64_t(inode);
    return true;
}


// The error of a refused trash, by GIO's code: the codes that stand for an errno become that
// errno; the trash's own refusals get their cause. GIO's message stays as the system's text.
FsError TrashError(const GError* error) {
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    if (!error || error->domain != G_IO_ERROR)
        return FsError{EIO, message, FsError::Cause::TrashFailed};
    int code = 0;
    switch (error->code) {
        // No trash for this place: a system-internal mount (tmpfs, /tmp), or a file system whose
        // trash cannot be used.
        case G_IO_ERROR_NOT_SUPPORTED: return FsError{EOPNOTSUPP, message, FsError::Cause::TrashNotSupported};
        // GIO 2.74 reports "unable to find or create trash directory" (and no top folder for
        // the trash) as a generic failure; the file's own faults nearly all have their codes.
        case G_IO_ERROR_FAILED: return FsError{EIO, message, FsError::Cause::NoTrashFolder};
        case G_IO_ERROR_NOT_FOUND: code = ENOENT; break;
        case G_IO_ERROR_EXISTS: code = EEXIST; break;
        case G_IO_ERROR_IS_DIRECTORY: code = EISDIR; break;
        case G_IO_ERROR_NOT_DIRECTORY: code = ENOTDIR; break;
        case G_IO_ERROR_NOT_EMPTY: code = ENOTEMPTY; break;
        case G_IO_ERROR_FILENAME_TOO_LONG: code = ENAMETOOLONG; break;
        case G_IO_ERROR_INVALID_FILENAME:
        case G_IO_ERROR_INVALID_ARGUMENT: code = EINVAL; break;
        case G_IO_ERROR_TOO_MANY_LINKS: code = ELOOP; break;
        case G_IO_ERROR_NO_SPACE: code = ENOSPC; break;
        case G_IO_ERROR_PERMISSION_DENIED: code = EACCES; break;
        case G_IO_ERROR_READ_ONLY: code = EROFS; break;
        case G_IO_ERROR_BUSY: code = EBUSY; break;
        case G_IO_ERROR_WOULD_BLOCK: code = EAGAIN; break;
        case G_IO_ERROR_TIMED_OUT: code = ETIMEDOUT; break;
        case G_IO_ERROR_CANCELLED: code = ECANCELED; break;
        case G_IO_ERROR_TOO_MANY_OPEN_FILES: code = EMFILE; break;
        case G_IO_ERROR_NO_SUCH_DEVICE: code = ENODEV; break;
        default: return FsError{EIO, message, FsError::Cause::TrashFailed};
    }
    return FsPath::ErrorFor(code);
}
}  // namespace

bool PosixFileSystem::Trash(const QString& path, TrashEntry* entry, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
    if (entry) *entry = TrashEntry();
    // The file's identity, to find its entry afterwards: the trash says nothing of it.
    struct stat before;
    const bool known = entry && ::lstat(p.constData(), &before) == 0;
    GFile* file = g_file_new_for_path(p.constData());
    GError* error = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (ok) {
        if (!known) return true;
        // The home trash when the file lives on its file system, else the trash at the top of
        // the file's own mount (.Trash/<uid> or .Trash-<uid>).
        const QByteArray encoded(p.constData());
        const QByteArray name = encoded.mid(encoded.lastIndexOf('/') + 1);
        const QByteArray top = FsPath::EncodePath(MountPoint(FsPath::FolderOf(path)));
        const QByteArray base = top == "/" ? QByteArray() : top;
        const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
        for (const QByteArray& trash : {QByteArray(g_get_user_data_dir()) + "/Trash",
                                        base + "/.Trash/" + uid, base + "/.Trash-" + uid}) {
            if (FindTrashEntry(trash, before.st_dev, before.st_ino, name, entry)) break;
        }
        return true;
    }
    if (err) *err = TrashError(error);
    if (error) g_error_free(error);
    return false;
}

QString PosixFileSystem::MountPoint(const QString& path) {
    const QByteArray resolved = ResolvedExisting(FsPath::EncodePath(path));
    QByteArray best = "/";
    for (const MountEntry& m : MountTable::Instance().Entries()) {
        const QByteArray& mp = m.mountPoint;
        const bool holds = resolved == mp || mp == "/" ||
                           (resolved.startsWith(mp) && resolved.at(mp.size()) == '/');
        if (holds && mp.size() >= best.size()) best = mp;
    }
    return FsPath::DecodeName(best);
}

DriveType PosixFileSystem::TypeOfDrive(const QString& mountPoint) {
    const QByteArray mp = FsPath::EncodePath(mountPoint);
    const QList<MountEntry> mounts = MountTable::Instance().Entries();
    const MountEntry* found = nullptr;
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == mp) found = &m;  // the last one is on top
    }
    return found ? TypeOfMount(*found) : DriveType::Other;
}

DriveType PosixFileSystem::DriveOf(const QString& path, const FileStatus* status) {
    dev_t device;
    if (status) {
        device = dev_t(status->device);
    } else {
        NativePath p;
        struct stat st;
        // A path that is not there yet belongs to the mount of its nearest existing parent.
        if (!p.Set(path, nullptr) || ::stat(p.constData(), &st) != 0)
            return FileSystem::DriveOf(path, status);
        device = st.st_dev;
    }
    DriveType type;
    if (MountTable::Instance().TypeOfDevice(device, &type)) return type;
    return FileSystem::DriveOf(path, status);
}
