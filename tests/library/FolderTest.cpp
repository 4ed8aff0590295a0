#include <gtest/gtest.h>

#include <QDir>

#include "Folder.h"
#include "TestSupport.h"

using namespace Folder;

namespace {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetState();
        QDir().mkpath(dir.file("config"));
    }
    // Pages named as given, each slot filled with values that tell page and slot apart.
    void MakePages(const QStringList& names) {
        for (int p = 0; p < names.size(); ++p) {
            gs_PageName[p] = names.at(p);
            for (int s = 0; s < kSlots; ++s) {
                gs_FolderTitle[p][s] = QStringLiteral("%1-t%2").arg(names.at(p)).arg(s);
                gs_FolderPath[p][s] = QStringLiteral("/%1/p%2/").arg(names.at(p)).arg(s);
                gi_SeqSwitch[p][s] = static_cast<int16_t>(s % 2);
                gs_SeqName[p][s] = QStringLiteral("%1-n%2").arg(names.at(p)).arg(s);
                gl_SeqNum[p][s] = 100 * p + s;
            }
        }
        gi_PageCount = static_cast<int16_t>(names.size());
    }
    QStringList Names() const {
        QStringList out;
        for (int p = 0; p < gi_PageCount; ++p) out << gs_PageName[p];
        return out;
    }
    TempDir dir;
    FakeMsgBox msg;
};

TEST_F(FolderTest, AddPageInsertsAnEmptyPageBeforePos) {
    MakePages({"X", "Y"});
    ASSERT_TRUE(AddPage(0, msg));
    EXPECT_EQ(Names(), (QStringList{"新しいページ", "X", "Y"}));
    for (int s = 0; s < kSlots; ++s) {
        EXPECT_TRUE(gs_FolderTitle[0][s].isEmpty());
        EXPECT_TRUE(gs_FolderPath[0][s].isEmpty());
        EXPECT_TRUE(gs_SeqName[0][s].isEmpty());
        EXPECT_EQ(gi_SeqSwitch[0][s], 0);
        EXPECT_EQ(gl_SeqNum[0][s], 1);
    }
    // X moved one place on with all of its slot values.
    EXPECT_EQ(gs_FolderTitle[1][3], QStringLiteral("X-t3"));
    EXPECT_EQ(gl_SeqNum[2][9], 109);
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(FolderTest, AddPageBeforeTheLastPage) {
    MakePages({"X", "Y", "Z"});
    ASSERT_TRUE(AddPage(2, msg));
    EXPECT_EQ(Names(), (QStringList{"X", "Y", "新しいページ", "Z"}));
    EXPECT_EQ(gs_FolderPath[3][0], QStringLiteral("/Z/p0/"));
}

TEST_F(FolderTest, TheTwoHundredFiftiethPageIsTheLast) {
    QStringList names;
    for (int i = 0; i < 249; ++i) names << QString::number(i);
    MakePages(names);
    ASSERT_TRUE(AddPage(249, msg));
    EXPECT_EQ(gi_PageCount, 250);
    EXPECT_FALSE(AddPage(0, msg));
    EXPECT_EQ(gi_PageCount, 250);
    EXPECT_EQ(gs_PageName[0], QStringLiteral("0"));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, QStringLiteral("ページはこれ以上追加できません"));
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("Orvane"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
}

TEST_F(FolderTest, DeletePageKeepsOrPullsBackTheCurrentPage) {
    MakePages({"X", "Y", "Z"});
    gl_PageNum = 0;
    ASSERT_TRUE(DeletePage(0, msg));
    EXPECT_EQ(Names(), (QStringList{"Y", "Z"}));
    EXPECT_EQ(gl_PageNum, 0);
    EXPECT_EQ(gs_SeqName[0][4], QStringLiteral("Y-n4"));

    gl_PageNum = 1;
    ASSERT_TRUE(DeletePage(1, msg));
    EXPECT_EQ(Names(), (QStringList{"Y"}));
    EXPECT_EQ(gl_PageNum, 0);

    EXPECT_FALSE(DeletePage(0, msg));
    EXPECT_EQ(Names(), (QStringList{"Y"}));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, QStringLiteral("ページはこれ以上削除できません"));
}

TEST_F(FolderTest, SwapPagesMovesEverySlotValueAndTwiceRestores) {
    MakePages({"A", "B"});
    SwapPages(1, 0);
    EXPECT_EQ(Names(), (QStringList{"B", "A"}));
    EXPECT_EQ(gs_FolderTitle[0][2], QStringLiteral("B-t2"));
    EXPECT_EQ(gs_FolderPath[1][2], QStringLiteral("/A/p2/"));
    EXPECT_EQ(gi_SeqSwitch[0][1], 1);
    EXPECT_EQ(gs_SeqName[1][7], QStringLiteral("A-n7"));
    EXPECT_EQ(gl_SeqNum[0][5], 105);
    EXPECT_EQ(gl_SeqNum[1][5], 5);
    SwapPages(1, 0);
    EXPECT_EQ(Names(), (QStringList{"A", "B"}));
    EXPECT_EQ(gl_SeqNum[1][5], 105);
}

TEST(FolderLibraryClass, ClampsThePageNumber) {
    FolderLibrary lib;
    EXPECT_EQ(lib.CurPageNum(), 0);
    lib.setCurPageNum(300);
    EXPECT_EQ(lib.CurPageNum(), 200);
    EXPECT_EQ(lib.PageName(), QStringLiteral("200"));
    lib.setCurPageNum(-5);
    EXPECT_EQ(lib.PageName(), QStringLiteral("0"));
}

TEST_F(FolderTest, SaveAndLoadRoundTripByteForByte) {
    MakePages({"旅行", " blanks ", "-"});
    gs_FolderTitle[1][3].clear();
    gs_FolderPath[2][9].clear();
    gs_FolderTitle[0][0] = QStringLiteral("  写真  ");
    ASSERT_TRUE(SaveFolderFile(dir.path(), msg));
    ASSERT_TRUE(SavePageFile(dir.path(), msg));

    const QByteArray pages = dir.read("config/設定_ページ.ini");
    EXPECT_EQ(pages, Cp932(QStringLiteral("旅行\r\n blanks \r\n-\r\n")));
    const QByteArray folders = dir.read("config/設定_フォルダ.ini");
    EXPECT_EQ(folders.count("\r\n"), 60);
    EXPECT_TRUE(folders.startsWith(Cp932(QStringLiteral("  写真  \r\n/旅行/p0/\r\n旅行-t1\r\n"))));

    ResetState();
    LoadPageFile(dir.path());
    LoadFolderFile(dir.path());
    EXPECT_EQ(gi_PageCount, 3);
    EXPECT_EQ(Names(), (QStringList{"旅行", " blanks ", "-"}));
    EXPECT_EQ(gs_FolderTitle[0][0], QStringLiteral("  写真  "));
    EXPECT_TRUE(gs_FolderTitle[1][3].isEmpty());
    EXPECT_EQ(gs_FolderPath[1][3], QStringLiteral("/ blanks /p3/"));
    EXPECT_TRUE(gs_FolderPath[2][9].isEmpty());
    EXPECT_EQ(gs_FolderTitle[2][9], QStringLiteral("--t9"));
    // Saving again gives the same bytes.
    ASSERT_TRUE(SaveFolderFile(dir.path(), msg));
    EXPECT_EQ(dir.read("config/設定_フォルダ.ini"), folders);
}

TEST_F(FolderTest, ShortPageFileGetsDefaultNamesOnlyWhereEmpty) {
    dir.write("config/設定_ページ.ini", Cp932(QStringLiteral("一\r\n\r\n三\r\n")));
    LoadPageFile(dir.path());
    EXPECT_EQ(gi_PageCount, 3);
    EXPECT_EQ(gs_PageName[0], QStringLiteral("一"));
    EXPECT_EQ(gs_PageName[1], QStringLiteral("グループ2"));
    EXPECT_EQ(gs_PageName[2], QStringLiteral("三"));
    EXPECT_EQ(gs_PageName[9], QStringLiteral("グループ10"));
    EXPECT_TRUE(gs_PageName[10].isEmpty());
}

TEST_F(FolderTest, EmptyOrMissingPageFileLoadsNoPage) {
    LoadPageFile(dir.path());
    EXPECT_EQ(gi_PageCount, 0);
    EXPECT_EQ(gs_PageName[0], QStringLiteral("グループ1"));
    ResetState();
    dir.write("config/設定_ページ.ini", QByteArray());
    LoadPageFile(dir.path());
    EXPECT_EQ(gi_PageCount, 0);
    EXPECT_EQ(gs_PageName[9], QStringLiteral("グループ10"));
}

TEST_F(FolderTest, PageFileIsCutAtTwoHundredFiftyLinesWithoutDefaults) {
    QByteArray bytes("\r\n");  // the first name is empty and stays so
    for (int i = 1; i < 400; ++i) bytes += "p" + QByteArray::number(i) + "\r\n";
    dir.write("config/設定_ページ.ini", bytes);
    LoadPageFile(dir.path());
    EXPECT_EQ(gi_PageCount, 250);
    EXPECT_TRUE(gs_PageName[0].isEmpty());
    EXPECT_EQ(gs_PageName[249], QStringLiteral("p249"));
    EXPECT_TRUE(gs_PageName[250].isEmpty());
}

TEST_F(FolderTest, FolderFileIsReadStrictlyByPosition) {
    gi_PageCount = 2;
    // Page 0 complete, then page 1 ends after the title line of slot 1.
    QByteArray bytes;
    for (int s = 0; s < 10; ++s) bytes += "t" + QByteArray::number(s) + "\r\n/p" + QByteArray::number(s) + "/\r\n";
    bytes += "u0\r\n/q0/\r\nu1";
    dir.write("config/設定_フォルダ.ini", bytes);
    LoadFolderFile(dir.path());
    EXPECT_EQ(gs_FolderPath[0][9], QStringLiteral("/p9/"));
    EXPECT_EQ(gs_FolderTitle[1][0], QStringLiteral("u0"));
    EXPECT_EQ(gs_FolderTitle[1][1], QStringLiteral("u1"));
    EXPECT_TRUE(gs_FolderPath[1][1].isEmpty());
    EXPECT_TRUE(gs_FolderTitle[1][2].isEmpty());
    // Lines past the pages in use are never read.
    EXPECT_TRUE(gs_FolderTitle[2][0].isEmpty());
}

TEST_F(FolderTest, FailedSaveNamesTheFile) {
    MakePages({"X"});
    QDir(dir.file("config")).removeRecursively();
    dir.write("config", "a file where the folder should be");
    EXPECT_FALSE(SavePageFile(dir.path(), msg));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_TRUE(msg.shown[0].text.contains(QStringLiteral("設定_ページ.ini")));
}

}  // namespace
