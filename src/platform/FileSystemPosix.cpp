// The real file system: POSIX calls and the kernel's mount table (the trash: FileSystemTrash.cpp).
#include "platform/FileSystem.h"

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

#include "platform/MountTable.h"
#include "platform/NativePath.h"

namespace {

bool fail(FsError* err, int code) {
    if (err) *err = FsPath::errorFor(code);
    return false;
}

// realpath of `path` or of its nearest existing parent.
QByteArray resolvedExisting(QByteArray path) {
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

namespace {

// statx(2) with the birth time where the file system keeps one; `follow` goes through a link.
// The path itself is looked at first either way: for the file that is no link (nearly every
// one) that one call is the whole answer, and it tells the move what a second lstat would.
bool statPath(const char* path, bool follow, FileStatus* out, FsError* err) {
    constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME;
    struct statx stx;
    if (::statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kWanted, &stx) != 0)
        return fail(err, errno);
    const bool isLink = S_ISLNK(stx.stx_mode);
    if (isLink && follow && ::statx(AT_FDCWD, path, AT_NO_AUTOMOUNT, kWanted, &stx) != 0)
        return fail(err, errno);
    out->pathLink = isLink ? FileStatus::PathLink::Yes : FileStatus::PathLink::No;
    const FileIdentity id = FileIdentity::of(stx);
    out->isRegular = S_ISREG(stx.stx_mode);
    out->isDirectory = S_ISDIR(stx.stx_mode);
    out->isSymlink = S_ISLNK(stx.stx_mode);
    out->size = id.size;
    out->mtimeSec = id.mtimeSec;
    out->mtimeNsec = id.mtimeNsec;
    out->ctimeSec = stx.stx_ctime.tv_sec;
    out->ctimeNsec = stx.stx_ctime.tv_nsec;
    out->mode = stx.stx_mode & 07777;
    out->device = id.device;
    out->inode = id.inode;
    out->hasBirth = id.hasBirth;
    out->birthSec = id.birthSec;
    out->birthNsec = id.birthNsec;
    return true;
}

}  // namespace

bool PosixFileSystem::stat(const QString& path, FileStatus* out, FsError* err) {
    NativePath p;
    return p.set(path, err) && statPath(p.constData(), true, out, err);
}

bool PosixFileSystem::linkStatus(const QString& path, FileStatus* out, FsError* err) {
    NativePath p;
    return p.set(path, err) && statPath(p.constData(), false, out, err);
}

bool PosixFileSystem::readLink(const QString& path, QString* target, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    QByteArray buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink(p.constData(), buffer.data(), size_t(buffer.size()));
    if (n < 0) return fail(err, errno);
    if (n >= buffer.size()) return fail(err, ENAMETOOLONG);
    buffer.truncate(int(n));
    *target = FsPath::decodeName(buffer);
    return true;
}

bool PosixFileSystem::makeLink(const QString& target, const QString& path, FsError* err) {
    NativePath t, p;
    if (!t.set(target, err) || !p.set(path, err)) return false;
    if (::symlink(t.constData(), p.constData()) != 0) return fail(err, errno);
    return true;
}

bool PosixFileSystem::realPath(const QString& path, QString* real, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    char resolved[PATH_MAX];
    if (!::realpath(p.constData(), resolved)) return fail(err, errno);
    *real = FsPath::decodeName(QByteArray(resolved));
    return true;
}

bool PosixFileSystem::hardLink(const QString& from, const QString& to, FsError* err) {
    NativePath f, t;
    if (!f.set(from, err) || !t.set(to, err)) return false;
    if (::link(f.constData(), t.constData()) != 0) return fail(err, errno);
    return true;
}

bool PosixFileSystem::listNames(const QString& folder, QStringList* names, FsError* err) {
    names->clear();
    NativePath p;
    if (!p.set(folder, err)) return false;
    DIR* dir = opendir(p.constData());
    if (!dir) return fail(err, errno);
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) break;
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        names->append(FsPath::decodeName(name));
    }
    const int readErr = errno;
    closedir(dir);
    if (readErr != 0) return fail(err, readErr);
    return true;
}

bool FileSystem::listFiles(const QString& folder, const NameTest& wanted, const NameSink& take,
                           FsError* err) {
    NativePath p;
    if (!p.set(folder, err)) return false;
    DIR* dir = opendir(p.constData());
    if (!dir) return fail(err, errno);
    const int fd = dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* e = readdir(dir);
        if (!e) break;
        const size_t length = std::strlen(e->d_name);
        if (!wanted(e->d_name, length)) continue;
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
            struct stat st;
            if (fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        take(e->d_name, length);
    }
    const int readErr = errno;
    closedir(dir);
    if (readErr != 0) return fail(err, readErr);
    return true;
}

bool PosixFileSystem::openRead(const QString& path, int* fd, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    // A pipe or device put in the file's place since it was looked at must neither block the
    // open nor be read: opened without waiting, and refused unless it is a regular file.
    const int f = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (f < 0) return fail(err, errno);
    struct stat st {};
    const int code = ::fstat(f, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : EINVAL);
    if (code != 0) {
        ::close(f);
        return fail(err, code);
    }
    const int flags = ::fcntl(f, F_GETFL);
    if (flags != -1) ::fcntl(f, F_SETFL, flags & ~O_NONBLOCK);
    *fd = f;
    return true;
}

bool PosixFileSystem::read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n >= 0) {
            *got = n;
            return true;
        }
        if (errno != EINTR) return fail(err, errno);
    }
}

bool PosixFileSystem::createNew(const QString& path, uint32_t mode, int* fd, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    const int f = ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    if (f < 0) return fail(err, errno);
    *fd = f;
    return true;
}

bool PosixFileSystem::write(int fd, const char* data, int64_t size, FsError* err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(err, errno);
        }
        if (n == 0) return fail(err, EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool PosixFileSystem::keepTimesAndMode(int fd, const FileStatus& from, FsError* err) {
    bool ok = true;
    int code = 0;
    if (::fchmod(fd, mode_t(from.mode)) != 0) { ok = false; code = errno; }
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(from.mtimeSec);
    times[1].tv_nsec = long(from.mtimeNsec);
    if (::futimens(fd, times) != 0) { ok = false; code = errno; }
    return ok ? true : fail(err, code);
}

bool PosixFileSystem::keepExtendedAttributes(int fromFd, int toFd, FsError* err) {
    // The list may grow between asking its size and reading it: then it is asked again.
    std::vector<char> names;
    ssize_t listed = 0;
    for (int attempt = 0;; ++attempt) {
        listed = ::flistxattr(fromFd, nullptr, 0);
        if (listed < 0) return errno == ENOTSUP ? true : fail(err, errno);  // none to keep
        if (listed == 0) return true;
        names.resize(size_t(listed));
        listed = ::flistxattr(fromFd, names.data(), names.size());
        if (listed >= 0) break;
        if (errno != ERANGE || attempt >= 3) return fail(err, errno);
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
    return code == 0 ? true : fail(err, code);
}

bool PosixFileSystem::fsync(int fd, FsError* err) {
    if (::fsync(fd) != 0) return fail(err, errno);
    return true;
}

bool PosixFileSystem::close(int fd, FsError* err) {
    // Linux releases the descriptor even when close fails, so it is never retried.
    if (::close(fd) != 0 && errno != EINTR) return fail(err, errno);
    return true;
}

bool PosixFileSystem::renameNoReplace(const QString& from, const QString& to, FsError* err) {
    NativePath f, t;
    if (!f.set(from, err) || !t.set(to, err)) return false;
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int code = errno;
    if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP) return fail(err, code);

    // No RENAME_NOREPLACE here: a hard link cannot replace either.
    if (::link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) == 0) return true;
        const int unlinkErr = errno;
        ::unlink(t.constData());
        return fail(err, unlinkErr);
    }
    const int linkErr = errno;
    if (linkErr != EPERM && linkErr != EOPNOTSUPP && linkErr != ENOSYS) return fail(err, linkErr);
    // Neither is supported (some network and FUSE file systems): test, then rename. The window
    // between the two is the best such a file system allows.
    struct stat st;
    if (::lstat(t.constData(), &st) == 0) return fail(err, EEXIST);
    if (::rename(f.constData(), t.constData()) != 0) return fail(err, errno);
    return true;
}

bool PosixFileSystem::renameReplace(const QString& from, const QString& to, FsError* err) {
    NativePath f, t;
    if (!f.set(from, err) || !t.set(to, err)) return false;
    if (::rename(f.constData(), t.constData()) != 0) return fail(err, errno);
    return true;
}

bool PosixFileSystem::unlink(const QString& path, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    if (::unlink(p.constData()) != 0) return fail(err, errno);
    return true;
}

QString PosixFileSystem::mountPoint(const QString& path) {
    const QByteArray resolved = resolvedExisting(FsPath::encodePath(path));
    QByteArray best = "/";
    for (const MountEntry& m : MountTable::instance().entries()) {
        const QByteArray& mp = m.mountPoint;
        const bool holds = resolved == mp || mp == "/" ||
                           (resolved.startsWith(mp) && resolved.at(mp.size()) == '/');
        if (holds && mp.size() >= best.size()) best = mp;
    }
    return FsPath::decodeName(best);
}

DriveType PosixFileSystem::typeOfDrive(const QString& mountPoint) {
    const QByteArray mp = FsPath::encodePath(mountPoint);
    const QList<MountEntry> mounts = MountTable::instance().entries();
    const MountEntry* found = nullptr;
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == mp) found = &m;  // the last one is on top
    }
    return found ? typeOfMount(*found) : DriveType::Other;
}

DriveType PosixFileSystem::driveOf(const QString& path, const FileStatus* status) {
    dev_t device;
    if (status) {
        device = dev_t(status->device);
    } else {
        NativePath p;
        struct stat st;
        // A path that is not there yet belongs to the mount of its nearest existing parent.
        if (!p.set(path, nullptr) || ::stat(p.constData(), &st) != 0)
            return FileSystem::driveOf(path, status);
        device = st.st_dev;
    }
    DriveType type;
    if (MountTable::instance().typeOfDevice(device, &type)) return type;
    return FileSystem::driveOf(path, status);
}
