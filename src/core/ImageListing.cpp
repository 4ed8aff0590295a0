// Listing a folder's image files: straight from readdir, so a folder of tens of thousands of
// photos lists in milliseconds.
#include <QFile>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "FileSystem.h"
#include "ImageList.h"
#include "NaturalOrder.h"

namespace {
// hasImageExtension on the last four bytes of a name.
bool endsWithImageBytes(const char* tail, bool png) {
    char t[4];
    // ASCII folding: the C library's tolower follows the locale (Turkish has no dotted I).
    for (int i = 0; i < 4; ++i) t[i] = (tail[i] >= 'A' && tail[i] <= 'Z') ? char(tail[i] + 32) : tail[i];
    return std::memcmp(t, ".bmp", 4) == 0 || std::memcmp(t, ".jpg", 4) == 0 ||
           std::memcmp(t, ".gif", 4) == 0 || (png && std::memcmp(t, ".png", 4) == 0);
}
}  // namespace

QStringList ImageList::listFolder(const QString& folder, bool png) {
    NaturalOrder::Collector names;
    DIR* dir = ::opendir(QFile::encodeName(FsPath::WithSlash(folder)).constData());
    if (!dir) return QStringList();
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        // The four-character ending is ASCII, so the bytes can be tested before any decoding.
        const size_t len = std::strlen(e->d_name);
        if (len < 4 || !endsWithImageBytes(e->d_name + len - 4, png)) continue;
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
