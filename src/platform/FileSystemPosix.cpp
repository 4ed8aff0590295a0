// The real file system: POSIX calls, GIO's trash and the kernel's mount table.
// GIO first: Qt's "signals" macro would break its headers.
#include <gio/gio.h>

#include "FileSystem.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

bool Fail(FsError* err, int code) {
    if (err) *err = FsPath::ErrorFor(code);
    return false;
}

// Native bytes of a path, NUL-terminated. A NUL inside would silently cut the name short, so
// it is refused. A path of ordinary characters (no surrogate) is encoded straight into a buffer
// on the stack: a move is one system call, and the heap and extra passes over both paths
// showed against it.
class NativePath {
public:
    NativePath() = default;
    NativePath(const NativePath&) = delete;
    NativePath& operator=(const NativePath&) = delete;

    bool Set(const QString& path, FsError* err) {
        const char16_t* u = reinterpret_cast<const char16_t*>(path.constData());
        const qsizetype n = path.size();
        if (n > 0 && n * 3 < qsizetype(sizeof small_)) {
            char* o = small_;
            qsizetype i = 0;
#if defined(__SSE2__)
            // Eight ASCII characters at a time: nearly every path is all ASCII. A group holding
            // anything else (a NUL included) is left to the loop below.
            const __m128i zero = _mm_setzero_si128();
            const __m128i high = _mm_set1_epi16(int16_t(0xFF80));
            for (; i + 8 <= n; i += 8) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, high), zero);
                const __m128i nul = _mm_cmpeq_epi16(v, zero);
                if (_mm_movemask_epi8(_mm_andnot_si128(nul, ascii)) != 0xFFFF) break;
                _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(v, v));
                o += 8;
            }
#endif
            for (; i < n; ++i) {
                const char16_t c = u[i];
                if (c < 0x80) {
                    if (c == 0) return Fail(err, EINVAL);
                    *o++ = char(c);
                } else if (c < 0x800) {
                    *o++ = char(0xC0 | (c >> 6));
                    *o++ = char(0x80 | (c & 0x3F));
                } else if (c >= 0xD800 && c <= 0xDFFF) {
                    break;  // a pair or a carried raw byte: the general encoding below
                } else {
                    *o++ = char(0xE0 | (c >> 12));
                    *o++ = char(0x80 | ((c >> 6) & 0x3F));
                    *o++ = char(0x80 | (c & 0x3F));
                }
            }
            if (i == n) {
                *o = '\0';
                bytes_ = small_;
                return true;
            }
        }
        big_ = FsPath::EncodePath(path);
        if (big_.isEmpty() || big_.contains('\0')) return Fail(err, big_.isEmpty() ? ENOENT : EINVAL);
        bytes_ = big_.constData();
        return true;
    }
    const char* constData() const { return bytes_; }

private:
    char small_[512];
    QByteArray big_;
    const char* bytes_ = "";
};


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
// kernel marks /proc/self/mountinfo with POLLPRI after every mount and unmount.
//
// A watcher thread waits for that mark, so the question a move asks (the drive of a device the
// table already names) costs no system call at all: on this kind of machine one call costs a
// quarter of a rename. The watcher learns of a change within its wake-up time, so a device
// number unmounted and mounted again as another kind of drive in that instant could be named
// by the old kind; every other question (a device the copy does not name, a mount point) polls
// without waiting and is exact. Where no thread can be started, every question polls; where
// the file cannot be opened, the table is read at every question.
class MountTable {
public:
    static MountTable& Instance() {
        // Never destroyed: the watcher may still be waiting in poll(2) when the program ends.
        static MountTable* table = new MountTable;
        return *table;
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
        if (read_ && watching_.load(std::memory_order_acquire)) {
            // Cleared before the reading, so a change during it marks the table again.
            if (watcherSawChange_.load(std::memory_order_acquire) &&
                watcherSawChange_.exchange(false, std::memory_order_acq_rel))
                Read();
            if (Lookup(device, type)) return true;
        }
        RefreshIfChanged();
        return Lookup(device, type);
    }

private:
    static constexpr int kUnknown = -1;

    // Opened before the first reading, so no change after it goes unnoticed.
    MountTable() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {
        const int watched = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (watched < 0) return;
        try {
            std::thread(&MountTable::Watch, this, watched).detach();
            watching_ = true;
        } catch (const std::system_error&) {
            ::close(watched);
        }
    }

    // Its own descriptor: each open file of mountinfo keeps its own record of the last change
    // it reported, so the polls of the questions do not swallow the watcher's.
    void Watch(int fd) {
        for (;;) {
            pollfd p{fd, POLLPRI, 0};
            const int r = ::poll(&p, 1, -1);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0 || (p.revents & POLLNVAL)) break;
            if (p.revents & (POLLPRI | POLLERR)) watcherSawChange_.store(true, std::memory_order_release);
        }
        // Blind from here on: every question polls for itself.
        watching_.store(false, std::memory_order_release);
        ::close(fd);
    }

    bool Lookup(dev_t device, DriveType* type) const {
        const auto it = std::lower_bound(byDevice_.begin(), byDevice_.end(),
                                         std::make_pair(device, INT_MIN));
        if (it == byDevice_.end() || it->first != device || it->second == kUnknown) return false;
        *type = DriveType(it->second);
        return true;
    }

    bool Changed() {
        if (fd_ < 0 || !read_) return true;
        pollfd p{fd_, POLLPRI, 0};
        const int r = ::poll(&p, 1, 0);
        return r != 0;  // an error counts as a change: the table is read again
    }

    void RefreshIfChanged() {
        if (Changed()) Read();
    }

    void Read() {
        entries_ = ReadMounts();
        // Sorted pairs rather than a hash: one short block of memory for the lookup a move makes.
        byDevice_.clear();
        for (const MountEntry& m : entries_) byDevice_.emplace_back(m.device, int(TypeOfMount(m)));
        std::sort(byDevice_.begin(), byDevice_.end());
        // A device whose mounts disagree about its kind is asked by path.
        std::vector<std::pair<dev_t, int>> merged;
        for (const auto& d : byDevice_) {
            if (!merged.empty() && merged.back().first == d.first) {
                if (merged.back().second != d.second) merged.back().second = kUnknown;
            } else {
                merged.push_back(d);
            }
        }
        byDevice_.swap(merged);
        read_ = true;
    }

    std::mutex mutex_;
    const int fd_;
    bool read_ = false;
    std::atomic<bool> watching_{false};
    std::atomic<bool> watcherSawChange_{false};
    QList<MountEntry> entries_;
    std::vector<std::pair<dev_t, int>> byDevice_;  // sorted by device
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

bool PosixFileSystem::Trash(const QString& path, FsError* err) {
    NativePath p;
    if (!p.Set(path, err)) return false;
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
