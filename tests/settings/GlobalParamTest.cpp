#include <gtest/gtest.h>

#include <QDir>

#include "Folder.h"
#include "GlobalParam.h"
#include "TestSupport.h"

using namespace GlobalParam;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        Folder::ResetState();
        GlobalParam::ResetState();
        InitSettings();
        QDir().mkpath(dir.file("config"));
    }
    void WriteFile0(const QByteArray& bytes) { dir.write("config/設定_オプション.ini", bytes); }
    void WriteFile1(const QByteArray& bytes) { dir.write("config/設定_個別転送.ini", bytes); }
    TempDir dir;
    FakeMsgBox msg;
};

TEST_F(Settings, DefaultsCoverEverySlotOfAllPages) {
    Folder::gl_PageNum = 7;
    Folder::gs_FolderTitle[3][3] = QStringLiteral("kept");
    Folder::gl_SeqNum[250][9] = 55;
    Folder::gi_SeqSwitch[0][0] = 1;
    InitSettings();
    EXPECT_EQ(Options.DelTrash, 0);
    EXPECT_EQ(Options.CursorKeyMode, 1);
    EXPECT_EQ(Options.owConnectText, QStringLiteral("_"));
    EXPECT_EQ(Options.owSequenceNum, 2);
    EXPECT_EQ(Options.owSeqStart, 1);
    EXPECT_FALSE(Options.CurrentFullMode);
    EXPECT_EQ(Folder::gl_SeqNum[250][9], 1);
    EXPECT_EQ(Folder::gi_SeqSwitch[0][0], 0);
    EXPECT_EQ(Folder::gl_PageNum, 7);
    EXPECT_EQ(Folder::gs_FolderTitle[3][3], QStringLiteral("kept"));
}

TEST_F(Settings, FileZeroHasElevenLinesInOrder) {
    Folder::gl_PageNum = 4;
    Options.owConnectText = QStringLiteral("、");
    Options.CurrentFullMode = true;
    ASSERT_TRUE(SaveSettings(0, dir.path(), msg, WindowPlacement{10, 20, 650, 500, 1}));
    const QString expected = QStringLiteral(
        "\"DelTrash\",0\r\n\"DelCaution\",0\r\n\"CursorKeyMode\",1\r\n\"owMode\",0\r\n"
        "\"owConnectText\",\"、\"\r\n\"owSequenceNum\",2\r\n\"owSeqStart\",1\r\n"
        "\"owMemIndSeqNum\",0\r\n\"CurrentPageNum\",4\r\n\"CurrentFullMode\",-1\r\n"
        "\"StateWndMain\",10,20,650,500,1\r\n");
    EXPECT_EQ(dir.read("config/設定_オプション.ini"), Cp932(expected));
}

TEST_F(Settings, FileZeroRoundTripsEveryField) {
    Options = {1, 1, 0, 2, QStringLiteral("a,b"), 5, 0, 1, true};
    Folder::gl_PageNum = 123;
    ASSERT_TRUE(SaveSettings(0, dir.path(), msg, WindowPlacement{-5, 7, 800, 600, 3}));
    GlobalParam::ResetState();
    Folder::gl_PageNum = 0;
    std::optional<WindowPlacement> placement;
    LoadSettings(0, dir.path(), &placement);
    EXPECT_EQ(Options.DelTrash, 1);
    EXPECT_EQ(Options.DelCaution, 1);
    EXPECT_EQ(Options.CursorKeyMode, 0);
    EXPECT_EQ(Options.owMode, 2);
    EXPECT_EQ(Options.owConnectText, QStringLiteral("a,b"));
    EXPECT_EQ(Options.owSequenceNum, 5);
    EXPECT_EQ(Options.owSeqStart, 0);
    EXPECT_EQ(Options.owMemIndSeqNum, 1);
    EXPECT_TRUE(Options.CurrentFullMode);
    EXPECT_EQ(Folder::gl_PageNum, 123);
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->left, -5);
    EXPECT_EQ(placement->bottom, 600);
    EXPECT_EQ(placement->showCmd, 3);
}

TEST_F(Settings, EmptyConnectorIsTwoQuotesAndReadsBackEmpty) {
    Options.owConnectText.clear();
    ASSERT_TRUE(SaveSettings(0, dir.path(), msg));
    EXPECT_TRUE(dir.read("config/設定_オプション.ini").contains("\"owConnectText\",\"\"\r\n"));
    Options.owConnectText = QStringLiteral("x");
    LoadSettings(0, dir.path());
    EXPECT_TRUE(Options.owConnectText.isEmpty());
}

TEST_F(Settings, FileOneHasTenLinesPerPageInUse) {
    Folder::gi_PageCount = 3;
    Folder::gi_SeqSwitch[2][9] = 1;
    Folder::gs_SeqName[2][9] = QStringLiteral("旅行");
    Folder::gl_SeqNum[2][9] = 2147483647;
    ASSERT_TRUE(SaveSettings(1, dir.path(), msg));
    const QByteArray bytes = dir.read("config/設定_個別転送.ini");
    EXPECT_EQ(bytes.count("\r\n"), 30);
    EXPECT_TRUE(bytes.startsWith("\"IndividualTrans\",0,0,0,\"\",1\r\n"));
    EXPECT_TRUE(bytes.endsWith(Cp932(QStringLiteral("\"IndividualTrans\",2,9,1,\"旅行\",2147483647\r\n"))));

    InitSettings();
    LoadSettings(1, dir.path());
    EXPECT_EQ(Folder::gi_SeqSwitch[2][9], 1);
    EXPECT_EQ(Folder::gs_SeqName[2][9], QStringLiteral("旅行"));
    EXPECT_EQ(Folder::gl_SeqNum[2][9], 2147483647);

    Folder::gi_PageCount = 2;
    ASSERT_TRUE(SaveSettings(1, dir.path(), msg));
    EXPECT_EQ(dir.read("config/設定_個別転送.ini").count("\r\n"), 20);
}

// Every text a user types reaches the four files as typed and comes back unchanged: never read
// as a format ("%1" once took the place of the next number and the line was lost).
TEST_F(Settings, TypedTextsRoundTripThroughEveryFile) {
    const QStringList texts = {"a%1b", "%5", "%1%2%3%4%5%6%7%8%9", "x,y", "  blank ends  ",
                               QStringLiteral("旅行、写真")};
    Folder::gi_PageCount = int16_t(texts.size());
    for (int p = 0; p < texts.size(); ++p) {
        Folder::gs_PageName[p] = texts[p];
        Folder::gs_FolderTitle[p][3] = texts[p] + "\"q\"";
        Folder::gs_FolderPath[p][3] = "/m/" + texts[p] + "\"q\"/";
        Folder::gi_SeqSwitch[p][3] = 1;
        Folder::gs_SeqName[p][3] = texts[p];
        Folder::gl_SeqNum[p][3] = 7;
    }
    Options.owConnectText = QStringLiteral("%1,%2 ");
    ASSERT_TRUE(SaveSettings(0, dir.path(), msg));
    ASSERT_TRUE(SaveSettings(1, dir.path(), msg));
    ASSERT_TRUE(Folder::SavePageFile(dir.path(), msg));
    ASSERT_TRUE(Folder::SaveFolderFile(dir.path(), msg));
    EXPECT_TRUE(dir.read("config/設定_個別転送.ini").contains("\"IndividualTrans\",0,3,1,\"a%1b\",7\r\n"));

    Folder::ResetState();
    GlobalParam::ResetState();
    InitSettings();
    Folder::LoadPageFile(dir.path());
    Folder::LoadFolderFile(dir.path());
    LoadSettings(0, dir.path());
    LoadSettings(1, dir.path());
    EXPECT_EQ(Options.owConnectText, QStringLiteral("%1,%2 "));
    ASSERT_EQ(Folder::gi_PageCount, texts.size());
    for (int p = 0; p < texts.size(); ++p) {
        EXPECT_EQ(Folder::gs_PageName[p], texts[p]);
        EXPECT_EQ(Folder::gs_FolderTitle[p][3], texts[p] + "\"q\"");
        EXPECT_EQ(Folder::gs_FolderPath[p][3], "/m/" + texts[p] + "\"q\"/");
        EXPECT_EQ(Folder::gi_SeqSwitch[p][3], 1) << p;
        EXPECT_EQ(Folder::gs_SeqName[p][3], texts[p]);
        EXPECT_EQ(Folder::gl_SeqNum[p][3], 7);
    }
}

TEST(SplitSettingsLine, CountsFieldsAndKeepsQuotedCommas) {
    QString f[7];
    EXPECT_EQ(SplitSettingsLine(QStringLiteral("\"owConnectText\",\"a,b\""), f), 2);
    EXPECT_EQ(f[0], QStringLiteral("owConnectText"));
    EXPECT_EQ(f[1], QStringLiteral("a,b"));
    QString g[7];
    EXPECT_EQ(SplitSettingsLine(QString(), g), 0);
    QString h[7];
    EXPECT_EQ(SplitSettingsLine(QStringLiteral(",5"), h), 1);  // an empty key counts one less
    QString k[7];
    EXPECT_EQ(SplitSettingsLine(QStringLiteral("\"DelTrash\",1,2,3,4,5,6,7"), k), 0);
    EXPECT_EQ(k[1], QStringLiteral("1"));
    QString m[7];
    EXPECT_EQ(SplitSettingsLine(QStringLiteral("\"k\",1,2,3,4,5,6"), m), 7);
}

TEST_F(Settings, ReadingIsTolerantOfCaseBlanksAndExtraFields) {
    WriteFile0("\"DELTRASH\",1,2,3,4,5,6,7\r\n"
               "\"owSeqStart\", 2\r\n"
               "\"StateWndMain\",1,2,3,4,5,6,7\r\n"
               "\"CurrentFullMode\",5\r\n"
               "\"unknown\",9\r\n"
               "garbage without quotes\r\n"
               "\"owSequenceNum\",abc\r\n");
    std::optional<WindowPlacement> placement;
    LoadSettings(0, dir.path(), &placement);
    EXPECT_EQ(Options.DelTrash, 1);
    EXPECT_EQ(Options.owSeqStart, 2);
    EXPECT_TRUE(Options.CurrentFullMode);
    EXPECT_EQ(Options.owSequenceNum, 0);  // no number reads as 0
    EXPECT_FALSE(placement.has_value());
    WriteFile0("\"CurrentFullMode\",0\r\n");
    LoadSettings(0, dir.path());
    EXPECT_FALSE(Options.CurrentFullMode);
}

TEST(NumberOfField, TakesTheLeadingNumberAndRoundsHalvesToEven) {
    EXPECT_EQ(NumberOfField(QStringLiteral("  12abc")), 12.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("2.5")), 2.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("3.5")), 4.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("-2.5")), -2.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("1.5e1x")), 15.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("1e")), 1.0);
    EXPECT_EQ(NumberOfField(QStringLiteral("x1")), 0.0);
    EXPECT_EQ(NumberOfField(QString()), 0.0);
    EXPECT_FALSE(NumberOfField(QStringLiteral("1e999")).has_value());
    EXPECT_EQ(StrictNumber(QStringLiteral(" 42 ")), 42.0);
    EXPECT_FALSE(StrictNumber(QStringLiteral("42x")).has_value());
    EXPECT_FALSE(StrictNumber(QString()).has_value());
}

TEST_F(Settings, ValuesThatCannotBeHeldSkipTheirLine) {
    WriteFile0("\"DelTrash\",70000\r\n"
               "\"owMode\",-32769\r\n"
               "\"CurrentPageNum\",99999999999\r\n"
               "\"StateWndMain\",1,2,x,4,1\r\n"
               "\"StateWndMain\",1,2,3,4\r\n"
               "\"StateWndMain\",100,100,50,50,1\r\n"
               "\"owConnectText\",\"/x\"\r\n");
    Folder::gl_PageNum = 3;
    std::optional<WindowPlacement> placement;
    LoadSettings(0, dir.path(), &placement);
    EXPECT_EQ(Options.DelTrash, 0);
    EXPECT_EQ(Options.owMode, 0);
    EXPECT_EQ(Folder::gl_PageNum, 3);
    EXPECT_FALSE(placement.has_value());
    EXPECT_EQ(Options.owConnectText, QStringLiteral("_"));  // would lead out of a slot's folder

    WriteFile1("\"IndividualTrans\",251,0,1,\"a\",5\r\n"
               "\"IndividualTrans\",0,10,1,\"b\",5\r\n"
               "\"IndividualTrans\",-1,0,1,\"c\",5\r\n"
               "\"IndividualTrans\",0,0,1,\"d\",\r\n"
               "\"IndividualTrans\",0,0,1,\"e\",9999999999\r\n"
               "\"IndividualTrans\",0,0,1\r\n"
               "\"IndividualTrans\",0,0,1,\"../../escape\",5\r\n"
               "\"IndividualTrans\",250,9,1,\"edge\",7\r\n"
               "\"DelTrash\",1\r\n");
    LoadSettings(1, dir.path());
    EXPECT_EQ(Folder::gi_SeqSwitch[0][0], 0);
    EXPECT_TRUE(Folder::gs_SeqName[0][0].isEmpty());
    EXPECT_EQ(Folder::gl_SeqNum[0][0], 1);
    EXPECT_EQ(Folder::gs_SeqName[250][9], QStringLiteral("edge"));
    EXPECT_EQ(Folder::gl_SeqNum[250][9], 7);
    EXPECT_EQ(Options.DelTrash, 0);  // a key of the other file does nothing here
}

TEST_F(Settings, HostileFilesNeverCrashOrHang) {
    QByteArray huge;
    huge.reserve(20 * 1000 * 1000);
    for (int i = 0; i < 1000000; ++i) huge += "\"IndividualTrans\",1,2,1,\"x\",3\r\n";
    WriteFile1(huge);
    LoadSettings(1, dir.path());
    EXPECT_EQ(Folder::gl_SeqNum[1][2], 3);

    static const char raw[] = "\"DelTrash\",1\0\0\x81\xff\r\n\"owMode\",\x82";
    WriteFile0(QByteArray(raw, sizeof raw - 1));
    LoadSettings(0, dir.path());
    EXPECT_EQ(Options.DelTrash, 1);
    WriteFile0(QByteArray(100000, '"'));
    LoadSettings(0, dir.path());
    WriteFile0(QByteArray(100000, ','));
    LoadSettings(0, dir.path());
    SUCCEED();
}

TEST_F(Settings, ReadOnlyConfigIsReportedAndTheOldFileStays) {
    ScopedMount mount(dir.file("config"), "size=64k");
    if (!mount.ok()) GTEST_SKIP() << mount.reason().toStdString();
    WriteFile0("\"DelTrash\",1\r\n");
    ASSERT_TRUE(mount.remountReadOnly());
    EXPECT_FALSE(SaveSettings(0, dir.path(), msg));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_TRUE(msg.shown[0].text.contains(QStringLiteral("設定_オプション.ini")));
    EXPECT_EQ(dir.read("config/設定_オプション.ini"), QByteArray("\"DelTrash\",1\r\n"));
}

TEST(SettingsFilePath, NamesBothFiles) {
    EXPECT_EQ(SettingsFilePath(QStringLiteral("/opt/o"), 0), QStringLiteral("/opt/o/config/設定_オプション.ini"));
    EXPECT_EQ(SettingsFilePath(QStringLiteral("/opt/o/"), 1), QStringLiteral("/opt/o/config/設定_個別転送.ini"));
    EXPECT_EQ(SettingsFilePath(QStringLiteral("/opt/o"), 2), QStringLiteral("/opt/o/"));
}

}  // namespace
