#pragma once
#include <QString>
#include <QStringList>

#include <optional>

#include "core/FolderLibrary.h"
#include "core/SaveFailure.h"

// The two files that keep the library between runs, in the config folder beside the program:
// the page file (one page name a line) and the folder file (per page, per slot: the title
// line, then the folder line). Neither has a header or a count: the page file's lines are the
// pages, and the folder file is read against them, so the page file is read first.
namespace LibraryFiles {

// "<programDir>/config/設定_ページ.ini" and "<programDir>/config/設定_フォルダ.ini".
QString pageFilePath(const QString& programDir);
QString folderFilePath(const QString& programDir);

// Appends a page for each line of the page file, at most 250; `library` is empty before.
// When the file ends before 250 lines (or is missing), the first ten pages that have no name
// are named "グループ1".."グループ10".
void loadPages(const QString& programDir, FolderLibrary& library);
// Fills the title and folder of the library's slots by position, page by page, slot by slot;
// slots past the end of the file keep what they have. Lines past the pages are ignored.
void loadFolders(const QString& programDir, FolderLibrary& library);

// What the two loads do with the files' lines, and the lines the saves write.
void applyPageLines(const QStringList& lines, FolderLibrary& library);
void applyFolderLines(const QStringList& lines, FolderLibrary& library);
QStringList pageLines(const FolderLibrary& library);
QStringList folderLines(const FolderLibrary& library);

// Rewrite the files from the library's pages; nothing on success.
std::optional<SaveFailure> saveFolders(const QString& programDir, const FolderLibrary& library);
std::optional<SaveFailure> savePages(const QString& programDir, const FolderLibrary& library);

// Writes `lines` to `path` as every settings file is written.
std::optional<SaveFailure> saveLines(const QString& path, const QStringList& lines);
// "<programDir>/config/<name>".
QString configFilePath(const QString& programDir, const QString& name);

}  // namespace LibraryFiles
