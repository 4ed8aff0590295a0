#pragma once
#include <QString>

#include <optional>

class QWidget;
class Pickers;

// Desktop helpers: special folders, the literal path test and the folder browser.
namespace DesktopFolders {

// The user's documents folder with a final "/" for "mydocuments" (any letter case); empty
// for every other name.
QString GetSpecialFolderPath(const QString& name);
// The user's pictures folder with a final "/" (the first-run default of slot 1).
QString PicturesFolderPath();
// The desktop folder, without a final "/".
QString DesktopFolderPath();

// True when a file or folder exists at `path`. A literal lookup: "*", "?" and "[" are
// ordinary characters. A folder is found with or without a final "/".
bool PathExists(const QString& path);

// The folder browser titled "フォルダを選択してください". Nothing on cancel; no "/" appended.
std::optional<QString> BrowseForFolderPath(Pickers& dialogs, QWidget* owner);

}  // namespace DesktopFolders
