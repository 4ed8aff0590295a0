#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

#include "platform/FileSystem.h"

namespace Paths {

QString commandLinePath(FileSystem& fs, const QString& given, const QString& startDir) {
    if (given.isEmpty()) return given;
    const QString absolute =
        given.startsWith(QLatin1Char('/')) ? given : startDir + QLatin1Char('/') + given;
    FileStatus named;
    FsError err;
    if (!fs.stat(absolute, &named, &err)) return absolute;
    // Taken out by text, "x/.." is the folder holding x; the system goes through x when it is
    // a link. Where the two differ the path is resolved instead, so the same file opens.
    const QString tidy = QDir::cleanPath(absolute);
    FileStatus tidied;
    if (fs.stat(tidy, &tidied, &err) && tidied.device == named.device && tidied.inode == named.inode)
        return tidy;
    const QString resolved = QFileInfo(absolute).canonicalFilePath();
    return resolved.isEmpty() ? absolute : resolved;
}

QString lastPathComponent(QString& path) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    int end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char('/')) --end;
    if (end == 0) return QStringLiteral("/");
    const int start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return path.mid(start, end - start);
}

}  // namespace Paths
