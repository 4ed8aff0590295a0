#include "platform/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace TextFile {
namespace {

// A configuration file is a few kilobytes; anything past this is not ours and is not read.
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

// Runs iconv over `in`. With `lenient`, an invalid or incomplete sequence is skipped one byte at
// a time and `replacement` is emitted in its place; otherwise conversion fails.
bool convert(const char* to, const char* from, const QByteArray& in, QByteArray* out, bool lenient,
             const QByteArray& replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out->clear();
    out->reserve(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out->append(buffer, static_cast<int>(sizeof buffer - outLeft));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!lenient) { ok = false; break; }
        out->append(replacement);
        ++inPtr;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (ok) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out->append(buffer, static_cast<int>(sizeof buffer - outLeft));
    }
    iconv_close(cd);
    return ok;
}

// UTF-8 to text, a leading U+FEFF kept: QString::fromUtf8 would drop it as a byte-order mark,
// but the file's own mark is already off, so one there is the first line's own text.
QString fromUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

}  // namespace

QByteArray encodeCp932(const QString& text, bool* ok) {
    QByteArray out;
    // "CP932", not "SHIFT_JIS": the latter maps 0x5C to the yen sign and would mangle paths.
    *ok = convert("CP932", "UTF-8", text.toUtf8(), &out, false, QByteArray());
    if (*ok && decodeCp932(out) != text) *ok = false;
    return out;
}

QString decodeCp932(const QByteArray& bytes) {
    QByteArray utf8;
    if (!convert("UTF-8", "CP932", bytes, &utf8, true, QByteArray("\xEF\xBF\xBD", 3)))
        return QString::fromLatin1(bytes);
    return fromUtf8(utf8);
}

QByteArray encodeFile(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    bool ok = false;
    QByteArray bytes = encodeCp932(text, &ok);
    if (ok) return bytes;
    // Some characters do not survive code page 932; then the whole file goes out as UTF-8 so
    // that no path silently changes.
    return kUtf8Bom + text.toUtf8();
}

QStringList decodeFile(const QByteArray& bytes) {
    QString text = bytes.startsWith(kUtf8Bom) ? fromUtf8(bytes.mid(kUtf8Bom.size()))
                                              : decodeCp932(bytes);
    QStringList lines;
    QString current;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty()) lines.append(current);
    return lines;
}

bool readLines(const QString& path, QStringList* lines) {
    lines->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError) return false;
    *lines = decodeFile(bytes);
    return true;
}

bool writeLines(const QString& path, const QStringList& lines, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray bytes = encodeFile(lines);
    if (file.write(bytes) != bytes.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace TextFile
