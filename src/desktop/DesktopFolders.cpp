#include "DesktopFolders.h"

#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include "Pickers.h"

namespace DesktopFolders {
namespace {
QString WithSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}
}  // namespace

QString GetSpecialFolderPath(const QString& name) {
    if (name.toLower() != QLatin1String("mydocuments")) return QString();
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString PicturesFolderPath() {
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
}

QString DesktopFolderPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

bool PathExists(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

std::optional<QString> BrowseForFolderPath(Pickers& dialogs, QWidget* owner) {
    return dialogs.BrowseForFolder(owner, QStringLiteral("フォルダを選択してください"));
}

}  // namespace DesktopFolders
