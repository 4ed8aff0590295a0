#include "core/Companions.h"

QString CompanionIndex::stemKey(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? name : name.left(dot)).toCaseFolded();
}

void CompanionIndex::assign(const QStringList& names) {
    byStem_.clear();
    for (const QString& name : names) add(name);
}

void CompanionIndex::add(const QString& name) {
    QStringList& names = byStem_[stemKey(name)];
    if (!names.contains(name)) names << name;
}

void CompanionIndex::remove(const QString& name) {
    const auto it = byStem_.find(stemKey(name));
    if (it == byStem_.end()) return;
    it->removeAll(name);
    if (it->isEmpty()) byStem_.erase(it);
}

QStringList CompanionIndex::of(const QString& name) const {
    QStringList found;
    for (const QString& other : byStem_.value(stemKey(name)))
        if (other != name) found << other;
    // The long sidecar form: "IMG_0001.JPG.xmp" has the whole picture name as its stem.
    for (const QString& other : byStem_.value(name.toCaseFolded()))
        if (other.endsWith(QLatin1String(".xmp"), Qt::CaseInsensitive)) found << other;
    return found;
}
