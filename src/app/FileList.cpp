#include "FileList.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <string>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "Form1State.h"

namespace FileList {
namespace {
bool EndsWithImageExtension(QStringView name, bool png, Qt::CaseSensitivity cs) {
    if (name.size() < 4) return false;
    const QStringView tail = name.right(4);
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

// The collator's order for names of printable ASCII, without building collation keys: each
// character's weight is read off the collator once, and digit runs compare by value as its
// numeric mode does. Collation keys cost a microsecond or more a name, which a folder of tens
// of thousands of photos (nearly always ASCII names) would feel.
class AsciiOrder {
public:
    explicit AsciiOrder(const QCollator& collator) {
        std::vector<char> chars;
        for (char c = 0x20; c < 0x7F; ++c) chars.push_back(c);
        auto cmp = [&collator](char a, char b) {
            return collator.compare(QString(QLatin1Char(a)), QString(QLatin1Char(b)));
        };
        std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) { return cmp(a, b) < 0; });
        int rank = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && cmp(chars[i - 1], chars[i]) != 0) ++rank;
            weight_[static_cast<unsigned char>(chars[i])] = rank + 1;
        }
    }

    static bool Applies(const QString& name) {
        for (const QChar c : name)
            if (c.unicode() < 0x20 || c.unicode() >= 0x7F) return false;
        return true;
    }

    // A byte string whose plain byte order is the collator's order of names of printable ASCII:
    // each character becomes its weight, and each run of digits the digits' weight, the count
    // of its digits without leading zeros, then those digits, so runs compare by value.
    std::string Key(const std::string& name) const {
        std::string key;
        key.reserve(name.size() + 8);
        const size_t n = name.size();
        for (size_t i = 0; i < n;) {
            const char c = name[i];
            if (!IsDigit(c)) {
                key.push_back(static_cast<char>(weight_[static_cast<unsigned char>(c)]));
                ++i;
                continue;
            }
            size_t end = i;
            while (end < n && IsDigit(name[end])) ++end;
            size_t start = i;
            while (start < end - 1 && name[start] == '0') ++start;
            key.push_back(static_cast<char>(weight_[static_cast<unsigned char>('0')]));
            key.push_back(static_cast<char>(end - start));  // names are at most 255 bytes
            key.append(name, start, end - start);
            i = end;
        }
        return key;
    }

    static bool Applies(const char* s, size_t len) {
        for (size_t i = 0; i < len; ++i)
            if (s[i] < 0x20 || s[i] >= 0x7F) return false;
        return true;
    }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    int weight_[128] = {};
};

// HasImageExtension on the last four bytes of a name.
bool EndsWithImageBytes(const char* tail, bool png) {
    char t[4];
    // ASCII folding: the C library's tolower follows the locale (Turkish has no dotted I).
    for (int i = 0; i < 4; ++i) t[i] = (tail[i] >= 'A' && tail[i] <= 'Z') ? char(tail[i] + 32) : tail[i];
    return std::memcmp(t, ".bmp", 4) == 0 || std::memcmp(t, ".jpg", 4) == 0 ||
           std::memcmp(t, ".gif", 4) == 0 || (png && std::memcmp(t, ".png", 4) == 0);
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

namespace {

const AsciiOrder& TheAsciiOrder() {
    static const AsciiOrder order(FileManagerCollator());
    return order;
}

// Names of printable ASCII in the collator's order, ties broken by the exact text.
QStringList SortAscii(std::vector<std::string> raw) {
    const AsciiOrder& order = TheAsciiOrder();
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(raw.size());
    for (std::string& n : raw) {
        std::string key = order.Key(n);
        keyed.emplace_back(std::move(key), std::move(n));
    }
    // One comparison of the keys per step (std::pair's operator< makes two when they differ).
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int c = a.first.compare(b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    });
    QStringList names;
    names.reserve(qsizetype(keyed.size()));
    for (const auto& k : keyed) names.push_back(QString::fromLatin1(k.second.data(), qsizetype(k.second.size())));
    return names;
}

void SortByCollator(QStringList* names) {
    const QCollator collator = FileManagerCollator();
    struct Keyed {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names->size()));
    for (const QString& n : *names) keyed.push_back({collator.sortKey(n), n});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    names->clear();
    for (const Keyed& k : keyed) names->push_back(k.name);
}

}  // namespace

QStringList ListImageFiles(const QString& folder, bool png) {
    // Names of printable ASCII (nearly every camera's) stay bytes until they are sorted.
    std::vector<std::string> ascii;
    QStringList other;
    DIR* dir = ::opendir(QFile::encodeName(WithSlash(folder)).constData());
    if (!dir) return other;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        // The four-character ending is ASCII, so the bytes can be tested before any decoding.
        const size_t len = std::strlen(e->d_name);
        if (len < 4 || !EndsWithImageBytes(e->d_name + len - 4, png)) continue;
        // The entry's type answers for most entries without a further look-up; a link (to a
        // regular file it counts) and a file system that gives no type are asked with stat,
        // which never opens anything, so a pipe named y.jpg is passed over without blocking.
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
            struct stat st;
            if (::fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        }
        if (AsciiOrder::Applies(e->d_name, len)) {
            ascii.emplace_back(e->d_name, len);
            continue;
        }
        const QByteArray raw(e->d_name, static_cast<qsizetype>(len));
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) continue;
        other.push_back(name);
    }
    ::closedir(dir);

    if (other.isEmpty()) return SortAscii(std::move(ascii));
    for (const std::string& n : ascii) other.push_back(QString::fromLatin1(n.data(), qsizetype(n.size())));
    SortByCollator(&other);
    return other;
}

void SortLikeAFileManager(QStringList* names) {
    // Equal names under the collator fall back to the exact text, so the order never depends
    // on the order the folder was read in.
    if (std::all_of(names->begin(), names->end(), [](const QString& n) { return AsciiOrder::Applies(n); })) {
        std::vector<std::string> raw;
        raw.reserve(size_t(names->size()));
        for (const QString& n : *names) raw.push_back(n.toStdString());
        *names = SortAscii(std::move(raw));
        return;
    }
    SortByCollator(names);
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
