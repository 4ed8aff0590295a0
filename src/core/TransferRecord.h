#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"
#include "core/TransferResult.h"
#include "core/Undo.h"

// The record of where every file went: one entry per completed transfer, delete or undo, the
// line the record file holds for it, and that file.
namespace TransferRecord {

enum class Kind { Moved, Copied, Trashed, Deleted, Undone };

struct Entry {
    QDateTime time;
    Kind kind = Kind::Moved;
    QString source;       // where the file was
    QString destination;  // where it is now; empty when it is gone for good
    int64_t size = 0;     // bytes

    // The file's name as the user knows it: the one it had before the action (after an undo,
    // the one it has again).
    QString fileName() const;
    // The folder it is in now: the destination's, else the source's.
    QString folderNow() const;
};

// 移動, コピー, ごみ箱, 削除, 元に戻した.
QString kindName(Kind kind);

// The entry of a completed transfer or delete; nothing for one refused or failed.
std::optional<Entry> entryFor(const Transfer::Result& result, const QDateTime& time);
// The entry of an undo of `action`: the file's way back, from where the action left it to where
// it was. Nothing when the undo moved nothing.
std::optional<Entry> entryForUndo(const Transfer::UndoResult& undone, const Transfer::Result& action,
                                  const QDateTime& time);

// `text` with tab, line feed, carriage return and backslash written \t \n \r \\, and a byte of
// a name that is no UTF-8 (FsPath::decodeName's U+DC80..U+DCFF) as \xHH, so every line reads
// back whole and every path byte for byte.
QString escaped(const QString& text);
// One line of the record file, UTF-8, ending in "\n": time (ISO 8601 with the offset from UTC),
// action, source, destination, size, separated by tabs.
QByteArray lineOf(const Entry& entry);

// The record file. Each line is written with one write(2) on a file opened for appending, so it
// is on the disk's way before the next key is read, whatever happens to the program after.
class File {
public:
    static constexpr int64_t kLimit = 10 * 1024 * 1024;

    // `path` ends in ".tsv"; a file that would grow past `limit` is kept as the same name with
    // ".1" before ".tsv" (replacing an older one) and a new file begun.
    explicit File(QString path, int64_t limit = kLimit);

    // Appends `entry`; the error when it could not be written whole.
    std::optional<FsError> append(const Entry& entry);

    const QString& path() const { return path_; }
    QString keptPath() const;

private:
    QString path_;
    int64_t limit_;
};

}  // namespace TransferRecord
