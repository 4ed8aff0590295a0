#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// Sequence numbers run up to this; reaching the limit means no free number is left.
constexpr int32_t kSequenceLimit = 1000000;

// `n` in decimal, zero-padded to `digits` digits (at least one, whatever a hand-edited file
// holds); longer numbers are written in full.
QString sequenceNumberText(int32_t n, int32_t digits);

// Individual sequence transfer: the first n from `start` up to 999999 for which no name in
// `folderNames` (the regular files of the slot's folder) is base or base + "." + anything,
// where base = seqName + (connector if seqName is not empty) + the number text; letter case
// is ignored, as on the cards people sort from. -1 when none is free (or start > 999999).
int32_t freeIndividualNumber(const QStringList& folderNames, const QString& seqName,
                             const QString& connector, int32_t digits, int32_t start);
QString individualBaseName(const QString& seqName, const QString& connector, int32_t n,
                           int32_t digits);

// The ending a renamed or numbered name keeps from the file's `name`: the last four characters
// for the classic endings (ImageNames::hasClassicEnding), as always; for any other name all
// from its last dot (".jpeg", ".heic"), so no ending loses its dot; empty without a dot.
QString keptEnding(const QString& name);

// Collision numbering: the first stem + connector + number + ending, n from `start` up to
// 999999, that `taken` says is free; empty when none is.
QString freeNumberedName(const QString& stem, const QString& ending, const QString& connector,
                         int32_t digits, int32_t start,
                         const std::function<bool(const QString&)>& taken);
