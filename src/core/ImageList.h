#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>

class FileSystem;

// The image files of the open folder in their natural order, and which of them is shown.
// Positions count from 1, as the user sees them; 0 while the list is empty.
class ImageList {
public:
    // The names of the regular files (a link to one counts) directly in `folder` that
    // ImageNames::isListed takes, dot-files included, in NaturalOrder. Names the file system
    // holds in bytes that are no valid text are left out. An unreadable folder gives an empty
    // list. Runs on a worker thread: everything it depends on comes in as values.
    // With `companions` the names ImageNames::isCompanionName takes come too, from the same
    // pass, so a picture's companions are found without reading the folder again.
    static QStringList listFolder(FileSystem& fs, const QString& folder, bool pngPluginAvailable,
                                  bool extraFormats, bool companions = false);

    // The list of `folder` (a final "/" is added) is now `names`; nothing is shown yet.
    void assign(const QString& folder, const QStringList& names);

    const QString& folder() const { return folder_; }  // ends in "/" once a folder was opened
    const QStringList& names() const { return names_; }
    int32_t count() const { return static_cast<int32_t>(names_.size()); }
    int32_t position() const { return position_; }
    // Name / full path at `position`; empty outside 1..count().
    QString nameAt(int32_t position) const;
    QString pathAt(int32_t position) const;
    QString shownName() const { return nameAt(position_); }
    QString shownPath() const { return pathAt(position_); }

    // The position of the entry whose full path equals `path` exactly, else 0.
    int32_t find(const QString& path) const;
    // Shows `position` (1..count(), or 0 for none); anything else is ignored.
    void setPosition(int32_t position);
    // The position after / before `from` with wrap-around; 0 in an empty list.
    int32_t after(int32_t from) const;
    int32_t before(int32_t from) const;
    // One step forwards (direction > 0) or backwards with wrap-around; nothing when empty.
    void step(int direction);
    // Drops the shown entry: the one that followed takes its place, removing the last entry
    // wraps to the first, removing the only one leaves position 0. False (nothing changes) when
    // no entry is shown.
    bool removeShown();
    // Puts `name` back at its place in the order (when it is not listed yet) and shows it.
    void insertAndShow(const QString& name);
    // Drops the entry `name` if listed; the shown entry stays shown unless it is the one
    // dropped, which removeShown's rule then replaces. True when the shown entry was dropped.
    bool removeName(const QString& name);

private:
    QString folder_;
    QStringList names_;
    int32_t position_ = 0;
};
