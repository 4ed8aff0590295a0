#include <gtest/gtest.h>

#include <QCollator>
#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>

#include "core/NaturalOrder.h"

namespace {

// The collator's own order, by collation keys, ties broken by the exact text.
QStringList ByCollator(QStringList names) {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator c(locale);
    c.setNumericMode(true);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&c](const QString& a, const QString& b) {
        const int r = c.compare(a, b);
        return r != 0 ? r < 0 : a < b;
    });
    return names;
}

TEST(NaturalOrder, AsciiNamesSortExactlyAsTheCollatorSortsThem) {
    // Punctuation, blanks, digit runs with leading zeros, both cases: the fast order must be
    // the collator's, or lists would change order with the characters in one name.
    const QString alphabet = QStringLiteral("aAbBzZ0012789 _-.()~!#$%&'+,;=@[]^`{}");
    QRandomGenerator rng(12345);
    QStringList names;
    for (int i = 0; i < 3000; ++i) {
        QString n;
        const int len = 1 + rng.bounded(9);
        for (int k = 0; k < len; ++k) n += alphabet.at(rng.bounded(alphabet.size()));
        names << n + QStringLiteral(".jpg");
    }
    // Long names alike in their first twenty characters or more, told apart only late (and
    // some only by case or by leading zeros), as a camera's or an export's names are.
    const QStringList prefixes{"Holiday photos 2024-", "holiday Photos 2024-0", "Holiday photos 2024-00",
                               "HOLIDAY PHOTOS 2024", "Holiday photos 2024-12-31 23.59.5",
                               "Sunset a", "SUNSET A", "sunset-a", "Sunset a 0"};
    for (int i = 0; i < 2000; ++i) {
        QString n = prefixes.at(rng.bounded(prefixes.size()));
        const int len = rng.bounded(10);
        for (int k = 0; k < len; ++k) n += alphabet.at(rng.bounded(alphabet.size()));
        names << n + QStringLiteral(".jpg");
    }
    names << "img2.jpg" << "img10.jpg" << "IMG1.jpg" << "img01.jpg" << "img001.jpg" << "a b.jpg" << "ab.jpg";
    QStringList fast = names;
    NaturalOrder::sort(&fast);
    const QStringList slow = ByCollator(names);
    ASSERT_EQ(fast.size(), slow.size());
    for (int i = 0; i < fast.size(); ++i)
        ASSERT_EQ(fast.at(i), slow.at(i)) << "position " << i;
}

TEST(NaturalOrder, NumbersCompareByValueAndCaseIsIgnored) {
    QStringList names{"img10.jpg", "IMG2.jpg", "img1.jpg", "Img3.jpg"};
    NaturalOrder::sort(&names);
    EXPECT_EQ(names, (QStringList{"img1.jpg", "IMG2.jpg", "Img3.jpg", "img10.jpg"}));
    // A name outside ASCII takes the collator's path for the whole list, in the same order.
    QStringList mixed{"img10.jpg", "写真.jpg", "img2.jpg"};
    NaturalOrder::sort(&mixed);
    EXPECT_EQ(mixed.indexOf("img2.jpg") + 1, mixed.indexOf("img10.jpg"));
}

}  // namespace
