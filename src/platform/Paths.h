#pragma once
#include <QString>

class FileSystem;

// Path helpers of the program's edges: the command line and folder names for titles.
namespace Paths {

// The path given as the program's first argument, as the program opens it: the argument as
// it stands (Linux names may hold blanks and double quotes), made absolute against `startDir`
// when relative, and without "." or ".." steps when it names something, so the caption shows
// a tidy path to the same place, as `fs` tells. Empty stays empty.
QString commandLinePath(FileSystem& fs, const QString& given, const QString& startDir);

// Appends "/" to `path` unless it ends in one (the caller's variable changes), then returns
// its last component: "/data" -> "data" (path becomes "/data/"), "/pics/cats/" -> "cats",
// "rel" -> "rel". "/" (and an empty path, which becomes "/") returns "/".
QString lastPathComponent(QString& path);

}  // namespace Paths
