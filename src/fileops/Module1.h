#pragma once
#include <QString>
#include <QStringList>

class FileSystem;
struct FileStatus;
class MsgBox;

// Guarded copy, move and delete (CD-ROM drives refused), the overwrite question, and the
// command-line and path helpers. Every message box is an OK box titled "Orvane" unless said
// otherwise. Failure texts: "ファイルを転送できませんでした" or "ファイルを削除できませんでした",
// then "\n" and the reason the file system gave (English, strerror wording).
namespace Module1 {

// The drive name of `path`: the mount point holding it (for a path that does not exist yet, the
// one holding its nearest existing parent).
QString GetDriveName(FileSystem& fs, const QString& path);

// True exactly when the drive mounted at `driveName` is a CD-ROM (iso9660, udf, /dev/sr*,
// /dev/cdrom*).
bool IsCdRomDrive(FileSystem& fs, const QString& driveName);

// `destination` + the source's own name when `destination` ends in "/", else `destination`.
QString ResolveDestination(const QString& source, const QString& destination);

// Copies the regular file `source` to `destination` (a folder ending in "/", keeping the
// source's name, or a full file path), replacing an existing file there without a question.
// Copying to a CD-ROM is refused with "指定のメディアへのコピーはできません。" (the source's
// drive is not checked). The copy keeps mtime and mode where allowed and goes in under a
// temporary name, so a failure leaves the destination as it was and no partial file: it is
// reported ("ファイルを転送できませんでした" + reason). True only when the copy was made.
// With `replace` false a file at the destination is never replaced, even one that appeared
// after the caller's checks: the copy then fails and is reported.
bool CopyToFolder(MsgBox& msg, FileSystem& fs, const QString& source, const QString& destination,
                  bool replace = true);

// Moves the regular file `source` to `destination` (folder ending in "/" or full path), never
// replacing an existing file (remove it first; see OverwriteTransfer). Refused, in this order:
// source on a CD-ROM "指定のメディアからの移動はできません。", destination on a CD-ROM
// "指定のメディアへの移動はできません。" (only the first applying message is shown). Across
// file systems the source is removed only after a complete, fsynced copy, and only if it did not
// change meanwhile (another program still writing it): else the copy goes. A failure (name
// taken, disk full, permission...) is reported and leaves the source in place and nothing
// new anywhere. True only when the move was made.
// `sourceStatus`: the status of `source` the caller has just taken (its own check that the file
// is there), so the move does not ask again; null makes the move take it.
bool MoveToFolder(MsgBox& msg, FileSystem& fs, const QString& source, const QString& destination,
                  const FileStatus* sourceStatus = nullptr);

// Where a deleted file goes: the desktop's trash, or nowhere.
enum class Deletion { ToTrash, Directly };

// Deletes the regular file `path`: to the trash or unlinked, as `deletion` says. A file on a
// CD-ROM is refused with "指定のメディアのファイルは削除はできません。".
// A delete or trash that fails (the file stays) is reported ("ファイルを削除できませんでした"
// + reason). A failed trash never falls back to a permanent delete. False when refused or
// failed: the caller keeps the file in its list.
bool RemoveFile(MsgBox& msg, FileSystem& fs, const QString& path, Deletion deletion);

// Asks whether the existing `destination` may be replaced by `source`: Yes/No box titled
// "上書き確認", Yes the default, text
//   "同ファイル名が存在。上書き？\n転送元 <size>bytes <date>\n転送先 <size>bytes <date>"
// (sizes in plain decimal, mtimes in the locale's short date-and-time form). Returns 6 (Yes) or
// 7 (No). When either file cannot be looked up it reports that ("ファイルを転送できませんでした"
// + reason) without asking and returns 7.
int ConfirmOverwrite(MsgBox& msg, FileSystem& fs, const QString& source,
                     const QString& destination);

// True when `a` and `b` both exist and are the same file (same device and inode), e.g. a slot
// folder that is the open folder. Such a transfer must not remove the "old" destination.
bool IsSameFile(FileSystem& fs, const QString& a, const QString& b);

// The message for a transfer onto the source file itself.
QString SameFileMessage();

enum class TransferKind { Copy, Move };

// Replaces the existing regular file `destination` (a full path) by `source`, copied or moved,
// without ever losing both: the media checks of CopyToFolder / MoveToFolder run first; a
// destination that is the source itself is refused with SameFileMessage(); the new file is
// brought into the destination's folder under a temporary name; then the old destination is
// removed as RemoveFile would (to the trash when `deletion` says so, reported like RemoveFile on
// failure; otherwise the temporary is renamed over it in one step), and the new file takes its
// name. A move across file systems removes the source once the copy is complete (and the source
// unchanged since), before the old destination is touched; a later failure copies it back. Any failure is reported and leaves
// the old destination and the source as they were, except that a trashed old destination stays
// in the trash when the final rename fails. True only when the transfer was made.
bool OverwriteTransfer(MsgBox& msg, FileSystem& fs, TransferKind kind, const QString& source,
                       const QString& destination, Deletion deletion);

// The path given as the program's first argument, as the program opens it: the argument as
// it stands (Linux names may hold blanks and double quotes), made absolute against `startDir`
// when relative, and without "." or ".." steps when it names something, so the caption shows
// a tidy path to the same place. Empty stays empty.
QString CommandLinePath(const QString& given, const QString& startDir);

// Appends "/" to `path` unless it ends in one (the caller's variable changes), then returns
// its last component: "/data" -> "data" (path becomes "/data/"), "/pics/cats/" -> "cats",
// "rel" -> "rel". "/" (and an empty path, which becomes "/") returns "/".
QString LastPathComponent(QString& path);

}  // namespace Module1
