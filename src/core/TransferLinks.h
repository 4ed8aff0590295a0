#pragma once
#include <QString>

#include "platform/FileSystem.h"

// Moving a symbolic link so that it still reaches its picture. Used by the move and the
// overwrite; not part of Transfer's interface.
namespace Transfer::links {

// The target a link at `to` must hold to reach what the link at `from`, holding the relative
// `target`, reaches. Both folders are taken with every link in them resolved, so each ".."
// climbs a real folder; the part of `target` below where it starts descending is kept as
// written (it may pass through links of its own). An absolute `target` stays as it is.
bool relinkedTarget(FileSystem& fs, const QString& from, const QString& to, const QString& target,
                    QString* out, FsError* err);

// Makes `path` a link reaching the file the link `from` reaches, checks that it does (the file
// `reached` describes: Stat of `from`), and gives the new link's own status in `*made`. Nothing
// is made on failure; EEXIST when `path` is taken.
bool makeLinkLike(FileSystem& fs, const QString& from, const QString& path, const FileStatus& reached,
                  FileStatus* made, FsError* err);

// The error of a link that would no longer reach its picture from its new place.
FsError linkWouldBreak();

}  // namespace Transfer::links
