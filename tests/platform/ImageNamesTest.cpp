#include <gtest/gtest.h>

#include <QByteArray>

#include "platform/ImageNames.h"

namespace {

// listed(name, png, extra) as text and as bytes: the listing reads bytes, the rest text; they
// must never disagree.
bool listed(const QString& name, bool png, bool extra) {
    const QByteArray bytes = name.toUtf8();
    const bool asText = ImageNames::isListed(name, png, extra);
    EXPECT_EQ(asText, ImageNames::isListed(bytes.constData(), size_t(bytes.size()), png, extra)) << qPrintable(name);
    return asText;
}

// The classic four: a folder's list takes them in any case (.png only with the plug-in), a
// single file only in lower case; whatever the other formats' option says.
TEST(ImageNames, ClassicEndingsKeepTheirRules) {
    for (bool extra : {false, true}) {
        EXPECT_TRUE(listed("a.jpg", false, extra));
        EXPECT_TRUE(listed("A.JPG", false, extra));
        EXPECT_TRUE(listed("x.BmP", false, extra));
        EXPECT_TRUE(listed(".gif", false, extra));
        EXPECT_FALSE(listed("jpg", false, extra));
        EXPECT_FALSE(listed("a.jpg ", false, extra));
        EXPECT_FALSE(listed("a.png", false, extra));
        EXPECT_TRUE(listed("a.PNG", true, extra));

        EXPECT_TRUE(ImageNames::isOpenable(u"/p/a.jpg", false, extra));
        EXPECT_FALSE(ImageNames::isOpenable(u"/p/a.JPG", false, extra));
        EXPECT_FALSE(ImageNames::isOpenable(u"/p/a.Gif", false, extra));
        EXPECT_FALSE(ImageNames::isOpenable(u"/p/a.png", false, extra));
        EXPECT_TRUE(ImageNames::isOpenable(u"/p/a.png", true, extra));
        EXPECT_FALSE(ImageNames::isOpenable(u"/p/a.PNG", true, extra));
    }
    // Unicode folding would take these; the listing's bytes never could.
    EXPECT_FALSE(listed(QString::fromUtf8("a.ＪＰＧ"), true, true));
    EXPECT_FALSE(listed(QString::fromUtf8("a.ſrw"), true, true));
}

// The other endings: only with the option, in any letter case, listed and opened alike.
TEST(ImageNames, ExtendedEndingsOnlyWithTheOption) {
    const QStringList endings = {".jpeg", ".jpe", ".jfif", ".webp", ".tif", ".tiff", ".heic", ".heif",
                                 ".avif", ".dng", ".cr2", ".cr3", ".nef", ".nrw", ".arw", ".srf",
                                 ".sr2", ".raf", ".orf", ".rw2", ".pef", ".srw", ".x3f"};
    EXPECT_EQ(ImageNames::extendedEndings(), endings);
    for (const QString& e : endings) {
        for (const QString& name : {"a" + e, "A" + e.toUpper()}) {
            EXPECT_FALSE(listed(name, true, false)) << qPrintable(name);
            EXPECT_FALSE(ImageNames::isOpenable(name, true, false)) << qPrintable(name);
            EXPECT_TRUE(listed(name, false, true)) << qPrintable(name);
            EXPECT_TRUE(ImageNames::isOpenable(name, false, true)) << qPrintable(name);
            EXPECT_TRUE(ImageNames::hasExtendedEnding(name));
            EXPECT_FALSE(ImageNames::hasClassicEnding(name));
        }
    }
    EXPECT_FALSE(listed("a.heic.txt", true, true));
    EXPECT_FALSE(listed("aheic", true, true));
    EXPECT_FALSE(listed("a.jp", true, true));
}

TEST(ImageNames, FormatFollowsTheEnding) {
    const std::pair<const char16_t*, ImageFormat> cases[] = {
        {u"a.BMP", ImageFormat::Bmp},  {u"a.jpg", ImageFormat::Jpeg},   {u"a.JFIF", ImageFormat::Jpeg},
        {u"a.jpe", ImageFormat::Jpeg}, {u"a.gif", ImageFormat::Gif},    {u"a.Png", ImageFormat::Png},
        {u"a.webp", ImageFormat::Webp}, {u"a.TIF", ImageFormat::Tiff},  {u"a.tiff", ImageFormat::Tiff},
        {u"a.HEIC", ImageFormat::Heif}, {u"a.heif", ImageFormat::Heif}, {u"a.avif", ImageFormat::Heif},
        {u"a.CR3", ImageFormat::Raw},  {u"a.x3f", ImageFormat::Raw},    {u"a.png.txt", ImageFormat::None},
        {u"apng", ImageFormat::None},  {u"", ImageFormat::None}};
    for (const auto& [name, format] : cases)
        EXPECT_EQ(ImageNames::formatOf(name), format) << QString::fromUtf16(name).toStdString();
}

TEST(ImageNames, DialogFilterNamesWhatIsOpened) {
    EXPECT_EQ(ImageNames::dialogFilter(false, false), QStringLiteral("イメージファイル (*.bmp *.jpg *.gif)"));
    EXPECT_EQ(ImageNames::dialogFilter(true, false), QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png)"));
    const QString all = ImageNames::dialogFilter(true, true);
    EXPECT_TRUE(all.startsWith(QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png *.jpeg *.JPEG ")));
    EXPECT_TRUE(all.endsWith(QStringLiteral(" *.x3f *.X3F)")));
}

}  // namespace
