#include "DesktopFolders.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

#include "FileSystem.h"
#include "Pickers.h"

namespace DesktopFolders {

QString DocumentsFolderPath() {
    return FsPath::WithSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString PicturesFolderPath() {
    return FsPath::WithSlash(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

QString DesktopFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

std::optional<QString> BrowseForFolderPath(Pickers& pickers, QWidget* owner) {
    return pickers.BrowseForFolder(owner, QStringLiteral("フォルダを選択してください"));
}

bool ShowInFileManager(const QString& folder) { return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }

}  // namespace DesktopFolders
