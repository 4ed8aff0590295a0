#pragma once
// The image list of the open folder, as functions of plain data and of Form1State.

#include <QString>
#include <QStringList>

#include <cstdint>

struct Form1State;

namespace FileList {

// Case-insensitive test of the last four characters: ".bmp", ".jpg", ".gif", and ".png" only
// while the plug-in is present. Used to select the names of a folder's list.
bool HasImageExtension(const QString& name, bool pngPluginAvailable);
// The same four endings, exact case. Used for a single file opened by the dialog, a drop or
// the command line.
bool IsImageFileName(const QString& path, bool pngPluginAvailable);

// The names of the regular files (a link to one counts) directly in `folder` whose ending
// passes HasImageExtension, dot-files included, ordered as a file manager orders them: letter
// case ignored, digits compared as numbers (img2 before img10), ties broken by the exact text
// so the order never depends on the folder's enumeration. Names the file system holds in bytes
// that are no valid text are left out: no path could open, move or delete them. Any number of
// names. An unreadable folder gives an empty list.
QStringList ListImageFiles(const QString& folder, bool pngPluginAvailable);

// Sorts names as ListImageFiles orders them.
void SortLikeAFileManager(QStringList* names);

// `folder` with a final "/".
QString WithSlash(const QString& folder);
// Everything before the last "/" of `path`; "/" itself for a file in the root folder.
QString ParentFolder(const QString& path);

// Literal tests through stat: wildcard characters are ordinary, a link follows its target.
bool IsRegularFile(const QString& path);
bool IsDirectory(const QString& path);

// The position (decimal text) of the entry whose full path equals `path` exactly, else empty.
QString FindInFileList(const Form1State& state, const QString& path);

// The position after / before `current` with wrap-around, in a list of `count` >= 1 entries.
int32_t NextIndex(int32_t current, int32_t count);
int32_t PreviousIndex(int32_t current, int32_t count);

// Drops the entry at CurrentIndex: the one that followed takes its place, removing the last
// entry wraps to the first, removing the only entry leaves CurrentIndex 0 and ImageShown false.
// Returns the full path to show next, or empty when the list is now empty (or CurrentIndex was
// outside the list, when nothing changes).
QString RemoveCurrent(Form1State& state);

}  // namespace FileList
