#include <gtest/gtest.h>

#include "Folder.h"
#include "Form1State.h"
#include "PageOverview.h"
#include "StatusBar.h"

namespace {

TEST(FormatFileSize, CutsToTwoDecimals) {
    EXPECT_EQ(FormatFileSize(0), QStringLiteral("  0B"));
    EXPECT_EQ(FormatFileSize(1023), QStringLiteral("  1023B"));
    EXPECT_EQ(FormatFileSize(1024), QStringLiteral(" 1KB"));
    EXPECT_EQ(FormatFileSize(1536), QStringLiteral(" 1.5KB"));
    EXPECT_EQ(FormatFileSize(1034), QStringLiteral(" 1KB"));      // 1.0097 cuts to 1
    EXPECT_EQ(FormatFileSize(1035), QStringLiteral(" 1.01KB"));
    EXPECT_EQ(FormatFileSize(1048575), QStringLiteral(" 1023.99KB"));
    EXPECT_EQ(FormatFileSize(1048576), QStringLiteral(" 1MB"));
    EXPECT_EQ(FormatFileSize(5LL * 1024 * 1024 * 1024 + 1024LL * 1024 * 1024 / 2), QStringLiteral(" 5.5GB"));
    EXPECT_EQ(FormatFileSize(1LL << 40), QStringLiteral(" 1TB"));
    EXPECT_EQ(FormatFileSize(INT64_MAX), QStringLiteral(" 8388607.99TB"));
}

Form1State ThirdOfTwelve() {
    Form1State s;
    s.CurrentFolder = QStringLiteral("/p/");
    for (int i = 1; i <= 12; ++i) s.FileList << (i == 3 ? QStringLiteral("a.jpg") : QStringLiteral("f%1.jpg").arg(i));
    s.FileCount = 12;
    s.CurrentIndex = 3;
    s.ImageShown = true;
    return s;
}

TEST(StatusBarText, ModePositionFileAndMarks) {
    Form1State empty;
    EXPECT_EQ(StatusBarText(empty, 0, QString()), QStringLiteral("[移動] 0/0 "));

    Form1State s = ThirdOfTwelve();
    EXPECT_EQ(StatusBarText(s, 1536, QString()), QStringLiteral("[移動] 3/12 a.jpg 1.5KB"));
    s.TransferLocked = true;
    EXPECT_EQ(StatusBarText(s, 1023, QString()), QStringLiteral("[移動] 3/12 a.jpg  1023B < 転送・削除ロック > "));
    s.TransferLocked = false;
    s.TransferMode = 1;
    s.CopiedFlag = true;
    s.CopiedSlot = 4;
    EXPECT_EQ(StatusBarText(s, 1536, QStringLiteral("Holiday")),
              QStringLiteral("[コピー] 3/12 a.jpg 1.5KB< Holiday へコピー済>"));
    // A file that failed to load shows only the mode, the position and the marks.
    s.ImageShown = false;
    s.TransferLocked = true;
    EXPECT_EQ(StatusBarText(s, 1536, QStringLiteral("H")),
              QStringLiteral("[コピー] 3/12  < 転送・削除ロック > < H へコピー済>"));
}

TEST(CaptionFor, RewritesOnlyWhenTheFolderPartChanges) {
    EXPECT_EQ(CaptionFor(QStringLiteral("Orvane"), QString()), QStringLiteral("Orvane"));
    EXPECT_EQ(CaptionFor(QStringLiteral("Orvane"), QStringLiteral("/a/")), QStringLiteral("Orvane [ /a/ ]"));
    EXPECT_EQ(CaptionFor(QStringLiteral("custom [ /a/ ]"), QStringLiteral("/a/")), QStringLiteral("custom [ /a/ ]"));
    EXPECT_EQ(CaptionFor(QStringLiteral("Orvane [ /a/ ]"), QStringLiteral("/b/")), QStringLiteral("Orvane [ /b/ ]"));
}

class Overview : public ::testing::Test {
protected:
    void SetUp() override { Folder::ResetState(); }
    void Pages(int n) {
        Folder::gi_PageCount = static_cast<int16_t>(n);
        for (int i = 0; i < n; ++i) Folder::gs_PageName[i] = QStringLiteral("P%1").arg(i);
    }
    // The page lines: the lines after "<< ページ一覧 >>" and the empty line.
    static QStringList PageLines(const QString& text) {
        QStringList lines = text.split(QStringLiteral("\r\n"));
        const int at = lines.indexOf(QStringLiteral("<< ページ一覧 >>"));
        lines = lines.mid(at + 2);
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
};

TEST_F(Overview, OnePageWithTwoTitledSlots) {
    Folder::gi_PageCount = 1;
    Folder::gs_PageName[0] = QStringLiteral("新規ページ");
    Folder::gs_FolderTitle[0][0] = QStringLiteral("マイドキュメント");
    Folder::gs_FolderTitle[0][1] = QStringLiteral("マイピクチャー");
    EXPECT_EQ(PageOverviewText(0, 1, 3),
              QStringLiteral("<< 新規ページ >>\r\n\r\n0.マイドキュメント\r\n1.マイピクチャー\r\n2.\r\n3.\r\n"
                             "4.\r\n5.\r\n6.\r\n7.\r\n8.\r\n9.\r\n\r\n\r\n\r\n\r\n<< ページ一覧 >>\r\n\r\n"
                             "\uFF1E新規ページ\r\n"));
}

TEST_F(Overview, TenPagesAreAllListed) {
    Pages(10);
    const QStringList lines = PageLines(PageOverviewText(9, 10, 3));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.first(), QStringLiteral("\u3000 P0"));
    EXPECT_EQ(lines.last(), QStringLiteral("\uFF1EP9"));
}

TEST_F(Overview, TwentyPagesScrollAroundTheCurrentOne) {
    Pages(20);
    QStringList lines = PageLines(PageOverviewText(0, 20, 3));
    EXPECT_EQ(lines, (QStringList{"\u3000 P17", "\u3000 P18", "\u3000 P19", "\uFF1EP0", "\u3000 P1",
                                  "\u3000 P2", "\u3000 P3", "\u3000 P4", "\u3000 P5", "\u3000 P6"}));
    lines = PageLines(PageOverviewText(1, 20, 4));
    EXPECT_EQ(lines, (QStringList{"\u3000 P17", "\u3000 P18", "\u3000 P19", "\u3000 P0", "\uFF1EP1",
                                  "\u3000 P2", "\u3000 P3", "\u3000 P4", "\u3000 P5", "\u3000 P6"}));
    lines = PageLines(PageOverviewText(18, 20, 7));
    EXPECT_EQ(lines.at(7), QStringLiteral("\uFF1EP18"));
    EXPECT_EQ(lines.at(8), QStringLiteral("\u3000 P19"));
    EXPECT_EQ(lines.at(9), QStringLiteral("\u3000 P0"));
}

TEST_F(Overview, ElevenPagesLeaveOneOut) {
    Pages(11);
    const QStringList lines = PageLines(PageOverviewText(5, 11, 2));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_FALSE(lines.contains(QStringLiteral("\u3000 P2")));
    EXPECT_EQ(lines.at(2), QStringLiteral("\uFF1EP5"));
}

}  // namespace
