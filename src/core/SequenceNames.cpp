#include "core/SequenceNames.h"

#include <QSet>

#include "platform/ImageNames.h"

namespace {
// A hand-edited digit setting must not make names absurdly long.
constexpr int kMaxDigits = 64;
}  // namespace

QString sequenceNumberText(int32_t n, int32_t digits) {
    const int width = qBound(1, digits, kMaxDigits);
    const QString text = QString::number(qAbs(static_cast<int64_t>(n)));
    const QString padded = text.rightJustified(width, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + padded : padded;
}

QString individualBaseName(const QString& seqName, const QString& connector, int32_t n,
                           int32_t digits) {
    return seqName + (seqName.isEmpty() ? QString() : connector) +
           sequenceNumberText(n, digits);
}

int32_t freeIndividualNumber(const QStringList& folderNames, const QString& seqName,
                             const QString& connector, int32_t digits, int32_t start) {
    // Every base a name occupies: the whole name and each part before one of its dots.
    QSet<QString> taken;
    for (const QString& name : folderNames) {
        const QString lower = name.toLower();
        taken.insert(lower);
        for (int i = lower.indexOf(QLatin1Char('.')); i >= 0; i = lower.indexOf(QLatin1Char('.'), i + 1))
            taken.insert(lower.left(i));
    }
    for (int32_t n = start; n < kSequenceLimit; ++n) {
        if (!taken.contains(individualBaseName(seqName, connector, n, digits).toLower()))
            return n;
    }
    return -1;
}

QString keptEnding(const QString& name) {
    if (ImageNames::hasClassicEnding(name)) return name.right(4);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString freeNumberedName(const QString& stem, const QString& ending, const QString& connector,
                         int32_t digits, int32_t start,
                         const std::function<bool(const QString&)>& taken) {
    for (int32_t n = start; n < kSequenceLimit; ++n) {
        const QString candidate = stem + connector + sequenceNumberText(n, digits) + ending;
        if (!taken(candidate)) return candidate;
    }
    return QString();
}
