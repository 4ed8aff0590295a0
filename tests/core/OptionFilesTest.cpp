#include <gtest/gtest.h>

#include <QDir>

#include "core/LibraryFiles.h"
#include "core/OptionFiles.h"
#include "core/SettingsLine.h"
#include "TestSupport.h"

namespace {

// A library of `count` pages in the state start-up leaves it: renaming off, next number 1.
FolderLibrary Pages(int count) {
    FolderLibrary library;
    for (int p = 0; p < count; ++p) library.appendPage(QStringLiteral("P%1").arg(p));
    library.resetRenaming();
    return library;
}

class OptionFilesTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(dir.file("config")); }
    void WriteOptionsFile(const QByteArray& bytes) { dir.write("config/設定_オプション.ini", bytes); }
    void WriteRenamingFile(const QByteArray& bytes) { dir.write("config/設定_個別転送.ini", bytes); }
    TempDir dir;
    Options options;
};

TEST_F(OptionFilesTest, DefaultsAreTheStartValues) {
    EXPECT_EQ(options.deleteMode, DeleteMode::ToTrash);
    EXPECT_EQ(options.arrowKeys, ArrowKeys::PagesAndFiles);
    EXPECT_EQ(options.connector, QStringLiteral("_"));
    EXPECT_EQ(options.numberDigits, 3);
    EXPECT_EQ(options.firstNumber, 1);
    EXPECT_FALSE(options.fitToView);
}

TEST_F(OptionFilesTest, OptionsFileHasElevenLinesInOrder) {
    options.connector = QStringLiteral("、");
    options.fitToView = true;
    // The program's folder may come with a final "/" or without one.
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path() + "/", options, 4,
                                          WindowPlacement{10, 20, 650, 500, WindowShow::Normal}));
    const QString expected = QStringLiteral(
        "\"DelTrash\",0\r\n\"DelCaution\",0\r\n\"CursorKeyMode\",1\r\n\"owMode\",0\r\n"
        "\"owConnectText\",\"、\"\r\n\"owSequenceNum\",2\r\n\"owSeqStart\",1\r\n"
        "\"owMemIndSeqNum\",0\r\n\"CurrentPageNum\",4\r\n\"CurrentFullMode\",-1\r\n"
        "\"StateWndMain\",10,20,650,500,1\r\n");
    EXPECT_EQ(dir.read("config/設定_オプション.ini"), Cp932(expected));
}

TEST_F(OptionFilesTest, OptionsFileRoundTripsEveryField) {
    options.deleteMode = DeleteMode::Directly;
    options.confirmDelete = true;
    options.arrowKeys = ArrowKeys::Slide;
    options.collisionMode = CollisionMode::Number;
    options.connector = QStringLiteral("a,b");
    options.numberDigits = 6;
    options.firstNumber = 0;
    options.continueNumbers = true;
    options.fitToView = true;
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path(), options, 123, WindowPlacement{-5, 7, 800, 600, WindowShow::Maximized}));
    EXPECT_TRUE(dir.read("config/設定_オプション.ini").contains("\"StateWndMain\",-5,7,800,600,3\r\n"));
    Options loaded;
    LastRun lastRun;
    OptionFiles::loadOptions(dir.path(), loaded, &lastRun);
    EXPECT_EQ(loaded.deleteMode, DeleteMode::Directly);
    EXPECT_TRUE(loaded.confirmDelete);
    EXPECT_EQ(loaded.arrowKeys, ArrowKeys::Slide);
    EXPECT_EQ(loaded.collisionMode, CollisionMode::Number);
    EXPECT_EQ(loaded.connector, QStringLiteral("a,b"));
    EXPECT_EQ(loaded.numberDigits, 6);
    EXPECT_EQ(loaded.firstNumber, 0);
    EXPECT_TRUE(loaded.continueNumbers);
    EXPECT_TRUE(loaded.fitToView);
    EXPECT_EQ(lastRun.currentPage, 123);
    ASSERT_TRUE(lastRun.placement.has_value());
    EXPECT_EQ(lastRun.placement->left, -5);
    EXPECT_EQ(lastRun.placement->bottom, 600);
    EXPECT_EQ(lastRun.placement->show, WindowShow::Maximized);
}

// A number no choice stands for, put in by hand, acts as it always did and is written back as
// it was read; a value changed since is written as its own number.
TEST_F(OptionFilesTest, NumbersNoChoiceStandsForActAsBeforeAndSurviveASave) {
    const QByteArray odd =
        "\"DelTrash\",5\r\n\"DelCaution\",7\r\n\"CursorKeyMode\",2\r\n\"owMode\",-3\r\n"
        "\"owConnectText\",\"_\"\r\n\"owSequenceNum\",9\r\n\"owSeqStart\",40\r\n"
        "\"owMemIndSeqNum\",2\r\n\"CurrentPageNum\",0\r\n\"CurrentFullMode\",0\r\n"
        "\"StateWndMain\",0,0,0,0,1\r\n";
    WriteOptionsFile(odd);
    OptionFiles::loadOptions(dir.path(), options);
    EXPECT_EQ(options.deleteMode, DeleteMode::Directly);
    EXPECT_FALSE(options.confirmDelete);
    EXPECT_EQ(options.arrowKeys, ArrowKeys::Unassigned);
    EXPECT_EQ(options.collisionMode, CollisionMode::Unsupported);
    EXPECT_EQ(options.numberDigits, 10);
    EXPECT_FALSE(options.continueNumbers);
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path(), options, 0));
    EXPECT_EQ(dir.read("config/設定_オプション.ini"), odd);

    options.deleteMode = DeleteMode::ToTrash;
    options.continueNumbers = true;
    const QStringList lines = OptionFiles::optionsLines(options, 0, WindowPlacement());
    EXPECT_EQ(lines[0], QStringLiteral("\"DelTrash\",0"));
    EXPECT_EQ(lines[7], QStringLiteral("\"owMemIndSeqNum\",1"));
}

TEST_F(OptionFilesTest, EmptyConnectorIsTwoQuotesAndReadsBackEmpty) {
    options.connector.clear();
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path(), options, 0));
    EXPECT_TRUE(dir.read("config/設定_オプション.ini").contains("\"owConnectText\",\"\"\r\n"));
    Options loaded;
    loaded.connector = QStringLiteral("x");
    OptionFiles::loadOptions(dir.path(), loaded);
    EXPECT_TRUE(loaded.connector.isEmpty());
}

TEST_F(OptionFilesTest, RenamingFileHasTenLinesPerPage) {
    FolderLibrary library = Pages(3);
    Slot& last = library.page(2).folderSlots[9];
    last.renaming = Renaming::On;
    last.fixedName = QStringLiteral("旅行");
    last.nextNumber = 2147483647;
    ASSERT_FALSE(OptionFiles::saveRenaming(dir.path(), library));
    const QByteArray bytes = dir.read("config/設定_個別転送.ini");
    EXPECT_EQ(bytes.count("\r\n"), 30);
    EXPECT_TRUE(bytes.startsWith("\"IndividualTrans\",0,0,0,\"\",1\r\n"));
    EXPECT_TRUE(bytes.endsWith(Cp932(QStringLiteral("\"IndividualTrans\",2,9,1,\"旅行\",2147483647\r\n"))));

    FolderLibrary loaded = Pages(3);
    OptionFiles::loadRenaming(dir.path(), loaded);
    EXPECT_EQ(loaded.page(2).folderSlots[9].renaming, Renaming::On);
    EXPECT_EQ(loaded.page(2).folderSlots[9].fixedName, QStringLiteral("旅行"));
    EXPECT_EQ(loaded.page(2).folderSlots[9].nextNumber, 2147483647);

    // A switch number the program never writes does not rename and is written back as read.
    WriteRenamingFile("\"IndividualTrans\",1,3,7,\"x\",5\r\n");
    OptionFiles::loadRenaming(dir.path(), loaded);
    EXPECT_FALSE(loaded.page(1).folderSlots[3].renames());
    ASSERT_FALSE(OptionFiles::saveRenaming(dir.path(), loaded));
    EXPECT_TRUE(dir.read("config/設定_個別転送.ini").contains("\"IndividualTrans\",1,3,7,\"x\",5\r\n"));
}

// Every text a user types reaches the four files as typed and comes back unchanged: never read
// as a format ("%1" once took the place of the next number and the line was lost).
TEST_F(OptionFilesTest, TypedTextsRoundTripThroughEveryFile) {
    const QStringList texts = {"a%1b", "%5", "%1%2%3%4%5%6%7%8%9", "x,y", "  blank ends  ",
                               QStringLiteral("旅行、写真")};
    FolderLibrary library;
    for (int p = 0; p < texts.size(); ++p) {
        library.appendPage(texts[p]);
        Slot& slot = library.page(p).folderSlots[3];
        slot.title = texts[p] + "\"q\"";
        slot.folder = "/m/" + texts[p] + "\"q\"/";
        slot.renaming = Renaming::On;
        slot.fixedName = texts[p];
        slot.nextNumber = 7;
    }
    options.connector = QStringLiteral("%1,%2 ");
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path(), options, 0));
    ASSERT_FALSE(OptionFiles::saveRenaming(dir.path(), library));
    ASSERT_FALSE(LibraryFiles::savePages(dir.path(), library));
    ASSERT_FALSE(LibraryFiles::saveFolders(dir.path(), library));
    EXPECT_TRUE(dir.read("config/設定_個別転送.ini").contains("\"IndividualTrans\",0,3,1,\"a%1b\",7\r\n"));

    Options loadedOptions;
    FolderLibrary loaded;
    LibraryFiles::loadPages(dir.path(), loaded);
    LibraryFiles::loadFolders(dir.path(), loaded);
    loaded.resetRenaming();
    OptionFiles::loadOptions(dir.path(), loadedOptions);
    OptionFiles::loadRenaming(dir.path(), loaded);
    EXPECT_EQ(loadedOptions.connector, QStringLiteral("%1,%2 "));
    ASSERT_EQ(loaded.pageCount(), texts.size());
    for (int p = 0; p < texts.size(); ++p) {
        const Slot& slot = loaded.page(p).folderSlots[3];
        EXPECT_EQ(loaded.page(p).name, texts[p]);
        EXPECT_EQ(slot.title, texts[p] + "\"q\"");
        EXPECT_EQ(slot.folder, "/m/" + texts[p] + "\"q\"/");
        EXPECT_EQ(slot.renaming, Renaming::On) << p;
        EXPECT_EQ(slot.fixedName, texts[p]);
        EXPECT_EQ(slot.nextNumber, 7);
    }
}

TEST(SettingsLine, SplitCountsFieldsAndKeepsQuotedCommas) {
    QString f[7];
    EXPECT_EQ(SettingsLine::split(QStringLiteral("\"owConnectText\",\"a,b\""), f), 2);
    EXPECT_EQ(f[0], QStringLiteral("owConnectText"));
    EXPECT_EQ(f[1], QStringLiteral("a,b"));
    QString g[7];
    EXPECT_EQ(SettingsLine::split(QString(), g), 0);
    QString h[7];
    EXPECT_EQ(SettingsLine::split(QStringLiteral(",5"), h), 1);  // an empty key counts one less
    QString k[7];
    EXPECT_EQ(SettingsLine::split(QStringLiteral("\"DelTrash\",1,2,3,4,5,6,7"), k), 0);
    EXPECT_EQ(k[1], QStringLiteral("1"));
    QString m[7];
    EXPECT_EQ(SettingsLine::split(QStringLiteral("\"k\",1,2,3,4,5,6"), m), 7);
}

TEST_F(OptionFilesTest, ReadingIsTolerantOfCaseBlanksAndExtraFields) {
    WriteOptionsFile("\"DELTRASH\",1,2,3,4,5,6,7\r\n"
                     "\"owSeqStart\", 2\r\n"
                     "\"StateWndMain\",1,2,3,4,5,6,7\r\n"
                     "\"CurrentFullMode\",5\r\n"
                     "\"unknown\",9\r\n"
                     "garbage without quotes\r\n"
                     "\"owSequenceNum\",abc\r\n");
    LastRun lastRun;
    OptionFiles::loadOptions(dir.path(), options, &lastRun);
    EXPECT_EQ(options.deleteMode, DeleteMode::Directly);
    EXPECT_EQ(options.firstNumber, 2);
    EXPECT_TRUE(options.fitToView);
    EXPECT_EQ(options.numberDigits, 1);  // no number reads as 0: one digit
    EXPECT_FALSE(lastRun.placement.has_value());
    WriteOptionsFile("\"CurrentFullMode\",0\r\n");
    OptionFiles::loadOptions(dir.path(), options);
    EXPECT_FALSE(options.fitToView);
}

TEST(SettingsLine, NumberOfFieldTakesTheLeadingNumberAndRoundsHalvesToEven) {
    using SettingsLine::numberOfField;
    using SettingsLine::strictNumber;
    EXPECT_EQ(numberOfField(QStringLiteral("  12abc")), 12.0);
    EXPECT_EQ(numberOfField(QStringLiteral("2.5")), 2.0);
    EXPECT_EQ(numberOfField(QStringLiteral("3.5")), 4.0);
    EXPECT_EQ(numberOfField(QStringLiteral("-2.5")), -2.0);
    EXPECT_EQ(numberOfField(QStringLiteral("1.5e1x")), 15.0);
    EXPECT_EQ(numberOfField(QStringLiteral("1e")), 1.0);
    EXPECT_EQ(numberOfField(QStringLiteral("x1")), 0.0);
    EXPECT_EQ(numberOfField(QString()), 0.0);
    EXPECT_FALSE(numberOfField(QStringLiteral("1e999")).has_value());
    EXPECT_EQ(strictNumber(QStringLiteral(" 42 ")), 42.0);
    EXPECT_FALSE(strictNumber(QStringLiteral("42x")).has_value());
    EXPECT_FALSE(strictNumber(QString()).has_value());
}

TEST_F(OptionFilesTest, ValuesThatCannotBeHeldSkipTheirLine) {
    WriteOptionsFile("\"DelTrash\",70000\r\n"
                     "\"owMode\",-32769\r\n"
                     "\"CurrentPageNum\",99999999999\r\n"
                     "\"StateWndMain\",1,2,x,4,1\r\n"
                     "\"StateWndMain\",1,2,3,4\r\n"
                     "\"StateWndMain\",100,100,50,50,1\r\n"
                     "\"owConnectText\",\"/x\"\r\n");
    LastRun lastRun;
    OptionFiles::loadOptions(dir.path(), options, &lastRun);
    EXPECT_EQ(options.deleteMode, DeleteMode::ToTrash);
    EXPECT_EQ(options.collisionMode, CollisionMode::Ask);
    EXPECT_FALSE(lastRun.currentPage.has_value());
    EXPECT_FALSE(lastRun.placement.has_value());
    EXPECT_EQ(options.connector, QStringLiteral("_"));  // would lead out of a slot's folder

    WriteRenamingFile("\"IndividualTrans\",3,0,1,\"a\",5\r\n"
                      "\"IndividualTrans\",0,10,1,\"b\",5\r\n"
                      "\"IndividualTrans\",-1,0,1,\"c\",5\r\n"
                      "\"IndividualTrans\",0,0,1,\"d\",\r\n"
                      "\"IndividualTrans\",0,0,1,\"e\",9999999999\r\n"
                      "\"IndividualTrans\",0,0,1\r\n"
                      "\"IndividualTrans\",0,0,1,\"../../escape\",5\r\n"
                      "\"IndividualTrans\",2,9,1,\"edge\",7\r\n"
                      "\"DelTrash\",1\r\n");
    FolderLibrary library = Pages(3);
    OptionFiles::loadRenaming(dir.path(), library);
    const Slot& first = library.page(0).folderSlots[0];
    EXPECT_EQ(first.renaming, Renaming::Off);
    EXPECT_TRUE(first.fixedName.isEmpty());
    EXPECT_EQ(first.nextNumber, 1);
    EXPECT_EQ(library.page(2).folderSlots[9].fixedName, QStringLiteral("edge"));
    EXPECT_EQ(library.page(2).folderSlots[9].nextNumber, 7);
}

TEST_F(OptionFilesTest, ExtrasFileRoundTripsAndSkipsWhatItCannotHold) {
    options.extraFormats = true;
    options.panelWidth = 260;
    ASSERT_FALSE(OptionFiles::saveExtras(dir.path(), options));
    EXPECT_EQ(dir.read("config/設定_拡張.ini"),
              Cp932(QStringLiteral("\"ExtraFormats\",1\r\n\"TransferLog\",0\r\n\"PanelWidth\",260\r\n")));
    // The options file does not take Orvane's own settings.
    ASSERT_FALSE(OptionFiles::saveOptions(dir.path(), options, 0));
    EXPECT_FALSE(dir.read("config/設定_オプション.ini").contains("ExtraFormats"));

    dir.write("config/設定_拡張.ini", "\"transferlog\",1\r\n\"ExtraFormats\",2\r\n\"PanelWidth\",-4\r\n"
                                       "\"PanelWidth\",abc\r\n\"Unknown\",1\r\n\"ExtraFormats\"\r\n");
    Options loaded;
    OptionFiles::loadExtras(dir.path(), loaded);
    EXPECT_TRUE(loaded.transferLog);
    EXPECT_FALSE(loaded.extraFormats);
    EXPECT_EQ(loaded.panelWidth, 0);
}

TEST_F(OptionFilesTest, CompanionsAreSavedWhenOnAndReadBack) {
    options.companions = true;
    ASSERT_FALSE(OptionFiles::saveExtras(dir.path(), options));
    EXPECT_TRUE(dir.read("config/設定_拡張.ini").contains("\"Companions\",1\r\n"));
    Options loaded;
    OptionFiles::loadExtras(dir.path(), loaded);
    EXPECT_TRUE(loaded.companions);
}

// Files a crash or a hand may leave: far more lines than slots, a page the library lacks,
// binary bytes, a line of nothing but quotes or commas. The usable lines apply, in order;
// nothing else changes.
TEST_F(OptionFilesTest, HostileFilesApplyTheirUsableLinesAndNothingElse) {
    QByteArray many;
    for (int i = 1; i <= 20000; ++i) many += "\"IndividualTrans\",1,2,1,\"x\"," + QByteArray::number(i) + "\r\n";
    many += "\"IndividualTrans\",2,2,1,\"y\",5\r\n";
    WriteRenamingFile(many);
    FolderLibrary library = Pages(2);
    OptionFiles::loadRenaming(dir.path(), library);
    EXPECT_EQ(library.page(1).folderSlots[2].nextNumber, 20000);
    EXPECT_EQ(library.page(1).folderSlots[2].fixedName, QStringLiteral("x"));
    EXPECT_EQ(library.page(0).folderSlots[2].nextNumber, 1);

    static const char raw[] = "\"DelTrash\",1\0\0\x81\xff\r\n\"owMode\",\x82";
    WriteOptionsFile(QByteArray(raw, sizeof raw - 1));
    OptionFiles::loadOptions(dir.path(), options);
    EXPECT_EQ(options.deleteMode, DeleteMode::Directly);
    EXPECT_EQ(options.collisionMode, CollisionMode::Ask);
    WriteOptionsFile(QByteArray(100000, '"'));
    OptionFiles::loadOptions(dir.path(), options);
    WriteOptionsFile(QByteArray(100000, ','));
    OptionFiles::loadOptions(dir.path(), options);
    EXPECT_EQ(options.deleteMode, DeleteMode::Directly);
    EXPECT_EQ(options.arrowKeys, ArrowKeys::PagesAndFiles);
    EXPECT_EQ(options.connector, QStringLiteral("_"));
    EXPECT_EQ(options.numberDigits, 3);
}

TEST_F(OptionFilesTest, ReadOnlyConfigIsReportedAndTheOldFileStays) {
    ScopedMount mount(dir.file("config"), "size=64k");
    if (!mount.ok()) GTEST_SKIP() << mount.reason().toStdString();
    WriteOptionsFile("\"DelTrash\",1\r\n");
    ASSERT_TRUE(mount.remountReadOnly());
    const auto failure = OptionFiles::saveOptions(dir.path(), options, 0);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, dir.file("config/設定_オプション.ini"));
    EXPECT_EQ(dir.read("config/設定_オプション.ini"), QByteArray("\"DelTrash\",1\r\n"));
}

}  // namespace
