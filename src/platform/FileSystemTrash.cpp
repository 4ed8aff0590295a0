// The freedesktop.org trash through GIO: whether it takes a file, trashing, and finding the
// entry it made (GIO says nothing of it).
// GIO first: Qt's "signals" macro would break its headers.
#include <gio/gio.h>

#include "platform/FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/NativePath.h"

namespace {

// The entry in `trash`/files of the file that was (device, inode) and was called `name`: the
// trash renamed it within its file system, so it keeps its identity. Entries are matched by
// readdir's inode first; where a file system reports other numbers there, the names the trash
// makes from the old one ("a.jpg", "a.2.jpg") are looked at.
bool findTrashEntry(const QByteArray& trash, dev_t device, ino_t inode, const QByteArray& name,
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
    // Its identity as it lies in the trash, taken now, right after the action.
    struct statx now;
    if (::statx(AT_FDCWD, (files + '/' + found).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_BASIC_STATS | STATX_BTIME, &now) != 0)
        return false;
    const FileIdentity identity = FileIdentity::of(now);
    if (identity.device != uint64_t(device) || identity.inode != uint64_t(inode)) return false;
    entry->file = FsPath::decodeName(files + '/' + found);
    entry->info = FsPath::decodeName(trash + "/info/" + found + ".trashinfo");
    entry->identity = identity;
    return true;
}

// The error of a refused trash, by GIO's code: the codes that stand for an errno become that
// errno; the trash's own refusals get their cause. GIO's message stays as the system's text.
FsError trashError(const GError* error) {
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
    return FsPath::errorFor(code);
}

}  // namespace

bool PosixFileSystem::trash(const QString& path, TrashEntry* entry, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    if (entry) *entry = TrashEntry();
    // The file's identity (a link's own), to find its entry afterwards: the trash says nothing
    // of it.
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
        const QByteArray top = FsPath::encodePath(mountPoint(FsPath::folderOf(path)));
        const QByteArray base = top == "/" ? QByteArray() : top;
        const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
        for (const QByteArray& trash : {QByteArray(g_get_user_data_dir()) + "/Trash",
                                        base + "/.Trash/" + uid, base + "/.Trash-" + uid}) {
            if (findTrashEntry(trash, before.st_dev, before.st_ino, name, entry)) break;
        }
        return true;
    }
    if (err) *err = trashError(error);
    if (error) g_error_free(error);
    return false;
}

bool PosixFileSystem::canTrash(const QString& path, FsError* err) {
    NativePath p;
    if (!p.set(path, err)) return false;
    GFile* file = g_file_new_for_path(p.constData());
    GError* error = nullptr;
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH,
                                        G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &error);
    g_object_unref(file);
    if (!info) {
        FsError e{EIO, error ? QString::fromUtf8(error->message) : QStringLiteral("Cannot look at the file")};
        if (error && error->domain == G_IO_ERROR && error->code == G_IO_ERROR_NOT_FOUND) e = FsPath::errorFor(ENOENT);
        if (error) g_error_free(error);
        if (err) *err = e;
        return false;
    }
    const bool can = g_file_info_get_attribute_boolean(info, G_FILE_ATTRIBUTE_ACCESS_CAN_TRASH);
    g_object_unref(info);
    if (!can && err) *err = FsPath::noTrashHere();
    return can;
}
