// The real file system: POSIX calls, GIO's trash and the kernel's mount table.
// GIO first: Qt's "signals" macro would break its headers.
#include <gio/gio.h>

#include "FileSystem.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <mutex>
#include <unordered_map>

namespace {

bool Fail(FsError* err, int code) {
    if (err) *err = FsPath::ErrorFor(code);
    return false;
}

// Native bytes of `path`; a NUL inside would silently cut the name short, so it is refused.
bool Native(const QString& path, QByteArray* out, FsError* err) {
    *out = FsPath::EncodePath(path);
    if (out->isEmpty() || out->contains('\0')) return Fail(err, out->isEmpty() ? ENOENT : EINVAL);
    return true;
}

struct MountEntry {
    QByteArray mountPoint;
    QByteArray fsType;
    QByteArray source;
    dev_t device = 0;
};

DriveType TypeOfMount(const MountEntry& m) {
    if (m.fsType == "iso9660" || m.fsType == "udf") return DriveType::CdRom;
    if (m.source.startsWith("/dev/sr") || m.source.startsWith("/dev/cdrom")) return DriveType::CdRom;
    return DriveType::Other;
}

// "\040" and friends in /proc/self/mountinfo stand for blank, tab, newline and backslash.
QByteArray Unescape(const QByteArray& s) {
    QByteArray out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

QList<MountEntry> ReadMounts() {
    QList<MountEntry> mounts;
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly)) return mounts;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        const int dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 2 >= fields.size()) continue;
        MountEntry m{Unescape(fields[4]), Unescape(fields[dash + 1]), Unescape(fields[dash + 2]), 0};
        const QList<QByteArray> majorMinor = fields[2].split(':');
        bool okMajor = false, okMinor = false;
        if (majorMinor.size() == 2) {
            const uint major = majorMinor[0].toUInt(&okMajor), minor = majorMinor[1].toUInt(&okMinor);
            if (okMajor && okMinor) m.device = makedev(major, minor);
        }
        mounts.append(m);
    }
    return mounts;
}

// A copy of the kernel's mount table, read again only when it changed. Each check before a
// move asks it, and reading and parsing the table costs far more than the move itself. The
// kernel marks /proc/self/mountinfo with POLLPRI after every mount and unmount, so a poll(2)
// that does not wait tells whether the copy still holds; where the file cannot be opened, the
// table is read at every question.
class MountTable {
public:
    static MountTable& Instance() {
        static MountTable table;
        return table;
    }

    QList<MountEntry> Entries() {
        std::lock_guard<std::mutex> lock(mutex_);
        RefreshIfChanged();
        return entries_;
    }

    // The drive type of the file system with device number `device`; false when no mount names
    // that device or its mounts disagree (the path is asked then).
    bool TypeOfDevice(dev_t device, DriveType* type) {
        std::lock_guard<std::mutex> lock(mutex_);
        RefreshIfChanged();
        const auto it = byDevice_.find(device);
        if (it == byDevice_.end() || it->second == kUnknown) return false;
        *type = DriveType(it->second);
        return true;
    }

private:
    static constexpr int kUnknown = -1;

    // Opened before the first reading, so no change after it goes unnoticed.
    MountTable() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {}
    ~MountTable() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool Changed() {
        if (fd_ < 0 || !read_) return true;
        pollfd p{fd_, POLLPRI, 0};
        const int r = ::poll(&p, 1, 0);
        return r != 0;  // an error counts as a change: the table is read again
    }

    void RefreshIfChanged() {
        if (!Changed()) return;
        entries_ = ReadMounts();
        byDevice_.clear();
        for (const MountEntry& m : entries_) {
            const int type = int(TypeOfMount(m));
            const auto [it, added] = byDevice_.emplace(m.device, type);
            if (!added && it->second != type) it->second = kUnknown;
        }
        read_ = true;
    }

    std::mutex mutex_;
    const int fd_;
    bool read_ = false;
    QList<MountEntry> entries_;
    std::unordered_map<dev_t, int> byDevice_;
};

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
    QByteArray p;
    if (!Native(path, &p, err)) return false;
    struct stat st;
    if (::stat(p.constData(), &st) != 0) return Fail(err, errno);
    out->isRegular = S_ISREG(st.st_mode);
    out->isDirectory = S_ISDIR(st.st_mode);
    out->size = st.st_size;
    out->mtimeSec = st.st_mtim.tv_sec;
    out->mtimeNsec = st.st_mtim.tv_nsec;
    out->mode = st.st_mode & 07777;
    out->device = st.st_dev;
    out->inode = st.st_ino;
    return true;
}

bool PosixFileSystem::ListNames(const QString& folder, QStringList* names, FsError* err) {
    names->clear();
    QByteArray p;
    if (!Native(folder, &p, err)) return false;
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
    QByteArray p;
    if (!Native(path, &p, err)) return false;
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
    QByteArray p;
    if (!Native(path, &p, err)) return false;
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
    QByteArray f, t;
    if (!Native(from, &f, err) || !Native(to, &t, err)) return false;
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
    QByteArray f, t;
    if (!Native(from, &f, err) || !Native(to, &t, err)) return false;
    if (::rename(f.constData(), t.constData()) != 0) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::Unlink(const QString& path, FsError* err) {
    QByteArray p;
    if (!Native(path, &p, err)) return false;
    if (::unlink(p.constData()) != 0) return Fail(err, errno);
    return true;
}

bool PosixFileSystem::Trash(const QString& path, FsError* err) {
    QByteArray p;
    if (!Native(path, &p, err)) return false;
    GFile* file = g_file_new_for_path(p.constData());
    GError* error = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (ok) return true;
    // The common causes get the same English wording as the other calls.
    int code = 0;
    if (error && error->domain == G_IO_ERROR) {
        switch (error->code) {
            case G_IO_ERROR_NOT_FOUND: code = ENOENT; break;
            case G_IO_ERROR_PERMISSION_DENIED: code = EACCES; break;
            case G_IO_ERROR_READ_ONLY: code = EROFS; break;
            case G_IO_ERROR_NO_SPACE: code = ENOSPC; break;
            case G_IO_ERROR_FILENAME_TOO_LONG: code = ENAMETOOLONG; break;
            case G_IO_ERROR_IS_DIRECTORY: code = EISDIR; break;
            case G_IO_ERROR_BUSY: code = EBUSY; break;
            default: break;
        }
    }
    FsError e = code ? FsPath::ErrorFor(code) : FsError{EIO, QString()};
    if (!code) {
        e.reason = error ? QString::fromUtf8(error->message) : QStringLiteral("Cannot move to the trash");
    }
    if (error) g_error_free(error);
    if (err) *err = e;
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
        QByteArray p;
        struct stat st;
        // A path that is not there yet belongs to the mount of its nearest existing parent.
        if (!Native(path, &p, nullptr) || ::stat(p.constData(), &st) != 0)
            return FileSystem::DriveOf(path, status);
        device = st.st_dev;
    }
    DriveType type;
    if (MountTable::Instance().TypeOfDevice(device, &type)) return type;
    return FileSystem::DriveOf(path, status);
}
