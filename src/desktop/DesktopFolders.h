#pragma once
#include <QString>

#include <optional>

class QWidget;
class Pickers;

// The user's folders as the desktop names them, and the folder browser.
namespace DesktopFolders {

// The user's documents folder with a final "/" (the first-run default of slot 0).
QString documentsFolderPath();
// The user's pictures folder with a final "/" (the first-run default of slot 1).
QString picturesFolderPath();
// The desktop folder, without a final "/".
QString desktopFolderPath();

// Opens `folder` in the desktop's file manager (QDesktopServices); false when none took it.
bool showInFileManager(const QString& folder);

// The folder browser titled "フォルダを選択してください". Nothing on cancel; no "/" appended.
std::optional<QString> chooseFolderPath(Pickers& pickers, QWidget* owner);

}  // namespace DesktopFolders
