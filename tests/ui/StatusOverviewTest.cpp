#include <gtest/gtest.h>

#include "ui/OverviewText.h"
#include "core/SortingSession.h"
#include "ui/StatusText.h"

namespace {

TEST(FormatFileSize, CutsToTwoDecimals) {
    EXPECT_EQ(formatFileSize(0), QStringLiteral("  0B"));
    EXPECT_EQ(formatFileSize(1023), QStringLiteral("  1023B"));
    EXPECT_EQ(formatFileSize(1024), QStringLiteral(" 1KB"));
    EXPECT_EQ(formatFileSize(1536), QStringLiteral(" 1.5KB"));
    EXPECT_EQ(formatFileSize(1034), QStringLiteral(" 1KB"));      // 1.0097 cuts to 1
    EXPECT_EQ(formatFileSize(1035), QStringLiteral(" 1.01KB"));
    EXPECT_EQ(formatFileSize(1048575), QStringLiteral(" 1023.99KB"));
    EXPECT_EQ(formatFileSize(1048576), QStringLiteral(" 1MB"));
    EXPECT_EQ(formatFileSize(5LL * 1024 * 1024 * 1024 + 1024LL * 1024 * 1024 / 2), QStringLiteral(" 5.5GB"));
    EXPECT_EQ(formatFileSize(1LL << 40), QStringLiteral(" 1TB"));
    EXPECT_EQ(formatFileSize(INT64_MAX), QStringLiteral(" 8388607.99TB"));
}

// A session showing the third of twelve files of /p/, with one page whose slot 4 is "Holiday".
void ShowThirdOfTwelve(SortingSession& s) {
    QStringList names;
    for (int i = 1; i <= 12; ++i) names << (i == 3 ? QStringLiteral("a.jpg") : QStringLiteral("f%1.jpg").arg(i));
    s.library().appendPage(QStringLiteral("p"));
    s.library().current().folderSlots[4].title = QStringLiteral("Holiday");
    s.openListedFolder(QStringLiteral("/p/"), names);
    s.nextFile();
    s.nextFile();
    s.pictureShown(s.list().shownPath());
}

TEST(StatusText, ModePositionFileAndMarks) {
    SortingSession s(nullptr);
    EXPECT_EQ(statusText(s, 0), QStringLiteral("[移動] 0/0 "));

    ShowThirdOfTwelve(s);
    EXPECT_EQ(statusText(s, 1536), QStringLiteral("[移動] 3/12 a.jpg 1.5KB"));
    EXPECT_EQ(statusText(s, 1536, 2), QStringLiteral("[移動] 3/12 a.jpg +2 1.5KB"));  // a group
    s.toggleLock();
    EXPECT_EQ(statusText(s, 1023), QStringLiteral("[移動] 3/12 a.jpg  1023B < 転送・削除ロック > "));
    s.toggleLock();
    s.setCopyMode();
    s.markCopied(4);
    EXPECT_EQ(statusText(s, 1536), QStringLiteral("[コピー] 3/12 a.jpg 1.5KB< Holiday へコピー済>"));
    // A file that failed to load shows only the mode, the position and the marks.
    s.pictureFailed(s.list().shownPath());
    s.markCopied(4);
    s.toggleLock();
    EXPECT_EQ(statusText(s, 1536),
              QStringLiteral("[コピー] 3/12  < 転送・削除ロック > < Holiday へコピー済>"));
}

TEST(CaptionFor, RewritesOnlyWhenTheFolderPartChanges) {
    EXPECT_EQ(captionFor(QStringLiteral("Orvane"), QString()), QStringLiteral("Orvane"));
    EXPECT_EQ(captionFor(QStringLiteral("Orvane"), QStringLiteral("/a/")), QStringLiteral("Orvane [ /a/ ]"));
    EXPECT_EQ(captionFor(QStringLiteral("custom [ /a/ ]"), QStringLiteral("/a/")), QStringLiteral("custom [ /a/ ]"));
    EXPECT_EQ(captionFor(QStringLiteral("Orvane [ /a/ ]"), QStringLiteral("/b/")), QStringLiteral("Orvane [ /b/ ]"));
}

// A long folder keeps its last names whole after "/…"; a short one is shown as it is.
TEST(ShortenedFolder, KeepsTheLastFoldersWhole) {
    EXPECT_EQ(shortenedFolder(QStringLiteral("/home/u/写真"), 20), QStringLiteral("/home/u/写真/"));
    EXPECT_EQ(shortenedFolder(QStringLiteral("/home/user/Pictures/2024/旅行/写真/"), 20),
              QStringLiteral("/…/2024/旅行/写真/"));
    EXPECT_EQ(shortenedFolder(QStringLiteral("/media/card/ずっと長いフォルダの名前がここにある"), 10),
              QStringLiteral("/…/ずっと長いフォルダの名前がここにある/"));
}

class Overview : public ::testing::Test {
protected:
    void Pages(int n) {
        for (int i = 0; i < n; ++i) library.appendPage(QStringLiteral("P%1").arg(i));
    }
    // The overview with page `current` current.
    QString Text(int current, int overviewRow) {
        library.selectPage(current);
        return overviewText(library, overviewRow);
    }
    // The page lines: the lines after "<< ページ一覧 >>" and the empty line.
    static QStringList PageLines(const QString& text) {
        QStringList lines = text.split(QStringLiteral("\r\n"));
        const int at = lines.indexOf(QStringLiteral("<< ページ一覧 >>"));
        lines = lines.mid(at + 2);
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
    FolderLibrary library;
};

TEST_F(Overview, OnePageWithTwoTitledSlots) {
    library.appendPage(QStringLiteral("新規ページ"));
    library.page(0).folderSlots[0].title = QStringLiteral("マイドキュメント");
    library.page(0).folderSlots[1].title = QStringLiteral("マイピクチャー");
    EXPECT_EQ(Text(0, 3),
              QStringLiteral("<< 新規ページ >>\r\n\r\n0.マイドキュメント\r\n1.マイピクチャー\r\n2.\r\n3.\r\n"
                             "4.\r\n5.\r\n6.\r\n7.\r\n8.\r\n9.\r\n\r\n\r\n\r\n\r\n<< ページ一覧 >>\r\n\r\n"
                             "\uFF1E新規ページ\r\n"));
}

TEST_F(Overview, TenPagesAreAllListed) {
    Pages(10);
    const QStringList lines = PageLines(Text(9, 3));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.first(), QStringLiteral("\u3000 P0"));
    EXPECT_EQ(lines.last(), QStringLiteral("\uFF1EP9"));
}

TEST_F(Overview, TwentyPagesScrollAroundTheCurrentOne) {
    Pages(20);
    EXPECT_TRUE(Text(19, 3).startsWith(QStringLiteral("<< P19 >> 20/20\r\n\r\n0.\r\n")));
    QStringList lines = PageLines(Text(0, 3));
    EXPECT_EQ(lines, (QStringList{"\u3000 P17", "\u3000 P18", "\u3000 P19", "\uFF1EP0", "\u3000 P1",
                                  "\u3000 P2", "\u3000 P3", "\u3000 P4", "\u3000 P5", "\u3000 P6"}));
    lines = PageLines(Text(1, 4));
    EXPECT_EQ(lines, (QStringList{"\u3000 P17", "\u3000 P18", "\u3000 P19", "\u3000 P0", "\uFF1EP1",
                                  "\u3000 P2", "\u3000 P3", "\u3000 P4", "\u3000 P5", "\u3000 P6"}));
    lines = PageLines(Text(18, 7));
    EXPECT_EQ(lines.at(7), QStringLiteral("\uFF1EP18"));
    EXPECT_EQ(lines.at(8), QStringLiteral("\u3000 P19"));
    EXPECT_EQ(lines.at(9), QStringLiteral("\u3000 P0"));
}

TEST_F(Overview, ElevenPagesLeaveOneOut) {
    Pages(11);
    const QStringList lines = PageLines(Text(5, 2));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_FALSE(lines.contains(QStringLiteral("\u3000 P2")));
    EXPECT_EQ(lines.at(2), QStringLiteral("\uFF1EP5"));
}

}  // namespace
