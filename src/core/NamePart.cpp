#include "core/NamePart.h"

namespace NamePart {

QString refusal(const QString& text) {
    if (text.contains(QLatin1Char('"'))) return QStringLiteral("「\"」を含む文字列は設定できません");
    if (text.contains(QLatin1Char('/'))) return QStringLiteral("「/」を含む文字列は設定できません");
    if (text == QLatin1String(".") || text == QLatin1String(".."))
        return QStringLiteral("「.」や「..」だけの文字列は設定できません");
    return QString();
}

bool isSingleEntry(const QString& name) {
    // A NUL would cut the name short where the system reads it.
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

}  // namespace NamePart
