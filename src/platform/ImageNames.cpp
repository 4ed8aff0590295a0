#include "platform/ImageNames.h"

#include <cstring>

namespace {
struct Ending {
    const char* text;  // lower case, with its dot
    ImageFormat format;
};

constexpr Ending kClassic[] = {
    {".bmp", ImageFormat::Bmp}, {".jpg", ImageFormat::Jpeg}, {".gif", ImageFormat::Gif}, {".png", ImageFormat::Png}};

constexpr Ending kExtended[] = {
    {".jpeg", ImageFormat::Jpeg}, {".jpe", ImageFormat::Jpeg}, {".jfif", ImageFormat::Jpeg},
    {".webp", ImageFormat::Webp}, {".tif", ImageFormat::Tiff}, {".tiff", ImageFormat::Tiff},
    {".heic", ImageFormat::Heif}, {".heif", ImageFormat::Heif}, {".avif", ImageFormat::Heif},
    {".dng", ImageFormat::Raw},   {".cr2", ImageFormat::Raw},  {".cr3", ImageFormat::Raw},
    {".nef", ImageFormat::Raw},   {".nrw", ImageFormat::Raw},  {".arw", ImageFormat::Raw},
    {".srf", ImageFormat::Raw},   {".sr2", ImageFormat::Raw},  {".raf", ImageFormat::Raw},
    {".orf", ImageFormat::Raw},   {".rw2", ImageFormat::Raw},  {".pef", ImageFormat::Raw},
    {".srw", ImageFormat::Raw},   {".x3f", ImageFormat::Raw},
};

unsigned codeOf(char c) { return static_cast<unsigned char>(c); }
unsigned codeOf(char16_t c) { return c; }

// `name` (of `length` units) ends in `ending`; with foldCase, A-Z count as a-z.
template <typename Char>
bool endsWith(const Char* name, size_t length, const char* ending, bool foldCase) {
    const size_t n = std::strlen(ending);
    if (length < n) return false;
    const Char* tail = name + (length - n);
    for (size_t i = 0; i < n; ++i) {
        unsigned c = codeOf(tail[i]);
        if (foldCase && c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c != codeOf(ending[i])) return false;
    }
    return true;
}

template <typename Char, size_t N>
const Ending* endingIn(const Ending (&table)[N], const Char* name, size_t length, bool foldCase) {
    for (const Ending& e : table)
        if (endsWith(name, length, e.text, foldCase)) return &e;
    return nullptr;
}

// Files that belong to a picture of the same stem without being one to sort by: sidecars of
// editors and cameras, and a phone's clip.
constexpr const char* kCompanionOnly[] = {".xmp", ".aae", ".thm", ".pp3", ".dop", ".mov", ".mp4"};

template <typename Char>
bool companion(const Char* name, size_t length) {
    for (const char* ending : kCompanionOnly)
        if (endsWith(name, length, ending, true)) return true;
    const Ending* e = endingIn(kExtended, name, length, true);
    return e && e->format == ImageFormat::Raw;
}

template <typename Char>
bool listed(const Char* name, size_t length, bool png, bool extra) {
    if (const Ending* e = endingIn(kClassic, name, length, true)) return png || e->format != ImageFormat::Png;
    return extra && endingIn(kExtended, name, length, true);
}
}  // namespace

namespace ImageNames {

const QStringList& extendedEndings() {
    static const QStringList endings = [] {
        QStringList list;
        for (const Ending& e : kExtended) list << QLatin1String(e.text);
        return list;
    }();
    return endings;
}

bool hasClassicEnding(QStringView name) {
    return endingIn(kClassic, name.utf16(), size_t(name.size()), true) != nullptr;
}

bool hasExtendedEnding(QStringView name) {
    return endingIn(kExtended, name.utf16(), size_t(name.size()), true) != nullptr;
}

bool isListed(QStringView name, bool pngPlugin, bool extraFormats) {
    return listed(name.utf16(), size_t(name.size()), pngPlugin, extraFormats);
}

bool isListed(const char* name, size_t length, bool pngPlugin, bool extraFormats) {
    return listed(name, length, pngPlugin, extraFormats);
}

bool isCompanionName(QStringView name) { return companion(name.utf16(), size_t(name.size())); }

bool isCompanionName(const char* name, size_t length) { return companion(name, length); }

bool isOpenable(QStringView path, bool pngPlugin, bool extraFormats) {
    // The classic endings keep the exact-case rule a single file has always had.
    if (const Ending* e = endingIn(kClassic, path.utf16(), size_t(path.size()), false))
        return pngPlugin || e->format != ImageFormat::Png;
    return extraFormats && hasExtendedEnding(path);
}

ImageFormat formatOf(QStringView name) {
    const char16_t* text = name.utf16();
    const size_t length = size_t(name.size());
    if (const Ending* e = endingIn(kClassic, text, length, true)) return e->format;
    if (const Ending* e = endingIn(kExtended, text, length, true)) return e->format;
    return ImageFormat::None;
}

QString dialogFilter(bool pngPlugin, bool extraFormats) {
    QStringList patterns{QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.gif")};
    if (pngPlugin) patterns << QStringLiteral("*.png");
    // Any letter case is taken, and some desktops' dialogs match patterns by case: the two
    // usual spellings of each.
    if (extraFormats)
        for (const QString& e : extendedEndings()) patterns << QLatin1Char('*') + e << QLatin1Char('*') + e.toUpper();
    return QStringLiteral("イメージファイル (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

}  // namespace ImageNames
