#include "desktop/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <fontconfig/fontconfig.h>

namespace Appearance {
namespace {

const QString kPreferredFamily = QStringLiteral("Noto Sans CJK JP");
const int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// What fontconfig makes of "sans-serif" for Japanese text, when the font it picks does cover
// Japanese (fontconfig always picks something). The first of its names Qt knows it by.
QString systemJapaneseSans() {
    QString family;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    if (!pattern) return family;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcLangSet* langs = nullptr;
    if (match && FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual) {
        const QStringList known = QFontDatabase::families();
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            const QString candidate = QString::fromUtf8(reinterpret_cast<const char*>(name));
            if (known.contains(candidate)) {
                family = candidate;
                break;
            }
        }
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : kIconSizes)
        icon.addFile(QStringLiteral(":/icons/orvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

bool loadQtJapanese() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

QString interfaceFontFamily() {
    if (QFontDatabase::families().contains(kPreferredFamily)) return kPreferredFamily;
    return systemJapaneseSans();
}

void apply() {
    loadQtJapanese();
    const QString family = interfaceFontFamily();
    if (!family.isEmpty()) {
        QFont font = QApplication::font();
        font.setFamilies({family});
        QApplication::setFont(font);
    }
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
}

}  // namespace Appearance
