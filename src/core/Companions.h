#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

// The open folder's names that may be companions of a picture (ImageNames::isCompanionName),
// as the listing found them in its one pass: finding a picture's companions asks the disk
// nothing. The files are looked at again when they are sent.
class CompanionIndex {
public:
    void assign(const QStringList& names);
    void clear() { byStem_.clear(); }
    void add(const QString& name);
    void remove(const QString& name);
    // The companions of the picture `name`: names of the index with the same stem (up to the
    // last dot, letter case ignored) and another ending, and `name` + ".xmp" in any case.
    QStringList of(const QString& name) const;

private:
    static QString stemKey(const QString& name);
    QHash<QString, QStringList> byStem_;
};
