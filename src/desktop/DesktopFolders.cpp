#include "desktop/DesktopFolders.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

#include "platform/FileSystem.h"
#include "desktop/Pickers.h"

namespace DesktopFolders {

QString documentsFolderPath() {
    return FsPath::withSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString picturesFolderPath() {
    return FsPath::withSlash(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

QString desktopFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

std::optional<QString> chooseFolderPath(Pickers& pickers, QWidget* owner) {
    return pickers.chooseFolder(owner, QStringLiteral("フォルダを選択してください"));
}

bool showInFileManager(const QString& folder) { return QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }

}  // namespace DesktopFolders
