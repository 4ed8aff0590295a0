#include "core/TransferLinks.h"

#include <cerrno>

namespace Transfer::links {

namespace {
QStringList partsOf(const QString& path) {
    QStringList parts;
    for (const QString& p : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (p != QLatin1String(".")) parts.append(p);
    return parts;
}
}  // namespace

FsError linkWouldBreak() {
    return FsError{ELOOP, QStringLiteral("The symbolic link would no longer reach its picture from there"),
                   FsError::Cause::LinkWouldBreak};
}

bool relinkedTarget(FileSystem& fs, const QString& from, const QString& to, const QString& target,
                    QString* out, FsError* err) {
    if (target.startsWith(QLatin1Char('/'))) {
        *out = target;
        return true;
    }
    QString fromFolder, toFolder;
    if (!fs.realPath(FsPath::folderOf(from), &fromFolder, err) || !fs.realPath(FsPath::folderOf(to), &toFolder, err))
        return false;
    QStringList base = partsOf(fromFolder);
    QStringList rest = partsOf(target);
    // Leading ".." climb real folders: exact to take away here.
    while (!rest.isEmpty() && rest.front() == QLatin1String("..")) {
        if (!base.isEmpty()) base.removeLast();
        rest.removeFirst();
    }
    const QStringList here = partsOf(toFolder);
    qsizetype common = 0;
    while (common < here.size() && common < base.size() && here[common] == base[common]) ++common;
    QStringList result;
    for (qsizetype k = common; k < here.size(); ++k) result.append(QStringLiteral(".."));
    result += base.mid(common);
    result += rest;
    *out = result.isEmpty() ? QStringLiteral(".") : result.join(QLatin1Char('/'));
    return true;
}

bool makeLinkLike(FileSystem& fs, const QString& from, const QString& path, const FileStatus& reached,
                  FileStatus* made, FsError* err) {
    QString target, retargeted;
    if (!fs.readLink(from, &target, err) || !relinkedTarget(fs, from, path, target, &retargeted, err) ||
        !fs.makeLink(retargeted, path, err))
        return false;
    FileStatus now;
    FsError e;
    bool ok = fs.stat(path, &now, &e);
    if (!ok && e.code == ENOENT) e = linkWouldBreak();
    if (ok && now.identity() != reached.identity()) {
        ok = false;
        e = linkWouldBreak();
    }
    if (ok) ok = fs.linkStatus(path, made, &e);
    if (!ok) {
        FsError ignored;
        fs.unlink(path, &ignored);
        if (err) *err = e;
    }
    return ok;
}

}  // namespace Transfer::links
