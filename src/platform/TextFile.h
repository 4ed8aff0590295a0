#pragma once
#include <QString>
#include <QStringList>

// Configuration text files: code page 932 with CR LF, or UTF-8 with a byte-order mark when a
// file holds text code page 932 cannot represent. Readers take both, and LF or CR line ends.
namespace TextFile {

// Reads the lines of `path` (no line-end characters). Returns false when the file is missing
// or cannot be read; `lines` is then empty. Invalid byte sequences become U+FFFD.
bool readLines(const QString& path, QStringList* lines);

// Writes every line followed by CR LF, through a temporary file renamed over `path`, so a
// failure never leaves a half-written file. On failure returns false and a reason in `error`.
bool writeLines(const QString& path, const QStringList& lines, QString* error);

// Encoding helpers, exposed for tests.
QByteArray encodeCp932(const QString& text, bool* ok);
QString decodeCp932(const QByteArray& bytes);
QByteArray encodeFile(const QStringList& lines);
QStringList decodeFile(const QByteArray& bytes);

}  // namespace TextFile
