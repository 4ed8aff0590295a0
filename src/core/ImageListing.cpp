// Listing a folder's image files: straight from readdir, so a folder of tens of thousands of
// photos lists in milliseconds.
#include <QFile>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "FileSystem.h"
#include "ImageList.h"
#include "ImageNames.h"
#include "NaturalOrder.h"

QStringList ImageList::listFolder(const QString& folder, bool png, bool extra, bool companions) {
    NaturalOrder::Collector names;
    DIR* dir = ::opendir(QFile::encodeName(FsPath::WithSlash(folder)).constData());
    if (!dir) return QStringList();
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        // The endings are ASCII, so the bytes can be tested before any decoding.
        const size_t len = std::strlen(e->d_name);
        if (!ImageNames::isListed(e->d_name, len, png, extra) &&
            !(companions && ImageNames::isCompanionName(e->d_name, len)))
            continue;
        // The entry's type answers for most entries without a further look-up; a link (to a
        // regular file it counts) and a file system that gives no type are asked with stat,
        // which never opens anything, so a pipe named y.jpg is passed over without blocking.
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
            struct stat st;
            if (::fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        names.add(e->d_name, len);
    }
    ::closedir(dir);
    return names.sorted();
}
