#include "FileList.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "Form1State.h"

namespace FileList {
namespace {
bool EndsWithImageExtension(const QString& name, bool png, Qt::CaseSensitivity cs) {
    if (name.size() < 4) return false;
    const QString tail = name.right(4);
    return tail.compare(QLatin1String(".bmp"), cs) == 0 ||
           tail.compare(QLatin1String(".jpg"), cs) == 0 ||
           tail.compare(QLatin1String(".gif"), cs) == 0 ||
           (png && tail.compare(QLatin1String(".png"), cs) == 0);
}

// The user's collation; the C locale has no numeric mode, so English stands in for it there.
QCollator FileManagerCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator c(locale);
    c.setNumericMode(true);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

bool StatPath(const QString& path, struct stat* st) {
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), st) == 0;
}
}  // namespace

bool HasImageExtension(const QString& name, bool png) {
    return EndsWithImageExtension(name, png, Qt::CaseInsensitive);
}

bool IsImageFileName(const QString& path, bool png) {
    return EndsWithImageExtension(path, png, Qt::CaseSensitive);
}

QStringList ListImageFiles(const QString& folder, bool png) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(WithSlash(folder)).constData());
    if (!dir) return names;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray raw(e->d_name);
        if (raw == "." || raw == "..") continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) continue;
        if (!HasImageExtension(name, png)) continue;
        // The entry's type answers for most entries without a further look-up; a link (to a
        // regular file it counts) and a file system that gives no type are asked with stat,
        // which never opens anything, so a pipe named y.jpg is passed over without blocking.
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
            struct stat st;
            if (::fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        names.push_back(name);
    }
    ::closedir(dir);

    const QCollator collator = FileManagerCollator();
    struct Keyed {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (const QString& n : names) keyed.push_back({collator.sortKey(n), n});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    names.clear();
    for (const Keyed& k : keyed) names.push_back(k.name);
    return names;
}

QString WithSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString ParentFolder(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QString();
    if (slash == 0) return QStringLiteral("/");
    return path.left(slash);
}

bool IsRegularFile(const QString& path) {
    struct stat st;
    return StatPath(path, &st) && S_ISREG(st.st_mode);
}

bool IsDirectory(const QString& path) {
    struct stat st;
    return StatPath(path, &st) && S_ISDIR(st.st_mode);
}

QString FindInFileList(const Form1State& s, const QString& path) {
    for (int32_t i = 1; i <= s.FileCount; ++i)
        if (s.CurrentFolder + s.FileAt(i) == path) return QString::number(i);
    return QString();
}

int32_t NextIndex(int32_t current, int32_t count) { return current < count ? current + 1 : 1; }

int32_t PreviousIndex(int32_t current, int32_t count) {
    return current <= 1 || current > count ? count : current - 1;
}

QString RemoveCurrent(Form1State& s) {
    if (s.CurrentIndex < 1 || s.CurrentIndex > s.FileCount || s.CurrentIndex > s.FileList.size())
        return QString();
    s.FileList.removeAt(s.CurrentIndex - 1);
    if (s.FileCount == s.CurrentIndex) s.CurrentIndex = 1;
    s.FileCount -= 1;
    if (s.FileCount == 0) {
        s.CurrentIndex = 0;
        s.ImageShown = false;
        return QString();
    }
    return s.CurrentFolder + s.FileAt(s.CurrentIndex);
}

}  // namespace FileList
