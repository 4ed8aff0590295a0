#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include "MainWindowFixture.h"

namespace {

class MainWindowStartup : public MainWindowFixture {
protected:
    QByteArray optionsFile() const { return program.read("config/設定_オプション.ini"); }
    QByteArray renamingFile() const { return program.read("config/設定_個別転送.ini"); }
};

TEST_F(MainWindowStartup, FirstRunCreatesConfigAndTheDefaultPageAndClosingWritesBothFiles) {
    // A folder in the plug-in's place is no plug-in: PNG files must not be offered.
    ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("dll/ifPNG.spi")));
    MainWindow& f = start();
    EXPECT_TRUE(QDir(program.file("config")).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(program.path()).canonicalPath());
    EXPECT_EQ(f.library().pageCount(), 1);
    EXPECT_EQ(f.library().currentPage(), 0);
    EXPECT_EQ(f.library().page(0).name, QStringLiteral("新規ページ"));
    EXPECT_EQ(f.library().page(0).folderSlots[0].title, QStringLiteral("マイドキュメント"));
    EXPECT_TRUE(f.library().page(0).folderSlots[0].folder.endsWith(QLatin1Char('/')));
    EXPECT_EQ(f.library().page(0).folderSlots[1].title, QStringLiteral("マイピクチャー"));
    EXPECT_EQ(f.library().page(0).folderSlots[1].folder,
              QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + QLatin1Char('/'));
    EXPECT_EQ(f.statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_TRUE(f.overviewPanel()->toPlainText().startsWith(QStringLiteral("<< 新規ページ >>")));
    EXPECT_TRUE(f.overviewPanel()->toPlainText().contains(QStringLiteral("\uFF1E新規ページ")));
    EXPECT_FALSE(f.session().pngPluginAvailable());

    // Nothing is written until the window closes.
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));
    f.close();
    const QByteArray file0 = optionsFile();
    EXPECT_EQ(file0.count("\r\n"), 11);
    EXPECT_TRUE(file0.startsWith("\"DelTrash\",0\r\n"));
    EXPECT_TRUE(file0.contains("\"StateWndMain\","));
    const QByteArray file1 = renamingFile();
    EXPECT_EQ(file1.count("\r\n"), 10);
    EXPECT_TRUE(file1.startsWith("\"IndividualTrans\",0,0,0,\"\",1\r\n"));
    // The library files are the editor's to write, not the main window's.
    EXPECT_FALSE(program.exists("config/設定_ページ.ini"));
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(MainWindowStartup, StoredStateIsRestoredAndOutOfRangePagesReset) {
    program.write("config/設定_ページ.ini", Cp932(QStringLiteral("一\r\n二\r\n三\r\n")));
    program.write("config/設定_オプション.ini",
                  "\"CurrentPageNum\",2\r\n\"CurrentFullMode\",-1\r\n\"StateWndMain\",30,40,730,540,1\r\n");
    program.write("config/設定_個別転送.ini", "\"IndividualTrans\",1,4,1,\"trip\",41\r\n");
    program.write("dll/ifPNG.spi", "present");
    MainWindow& f = start();
    EXPECT_EQ(f.library().pageCount(), 3);
    EXPECT_EQ(f.library().currentPage(), 2);
    EXPECT_TRUE(f.options().fitToView);
    EXPECT_EQ(f.library().page(1).folderSlots[4].nextNumber, 41);
    EXPECT_TRUE(f.session().pngPluginAvailable());
    EXPECT_EQ(f.geometry().size(), QSize(700, 500));
    f.close();
    EXPECT_TRUE(optionsFile().contains("\"CurrentPageNum\",2\r\n\"CurrentFullMode\",-1\r\n"));
    EXPECT_TRUE(renamingFile().contains("\"IndividualTrans\",1,4,1,\"trip\",41\r\n"));

    for (const char* stored : {"250", "3", "-1"}) {
        program.write("config/設定_オプション.ini", QByteArray("\"CurrentPageNum\",") + stored + "\r\n");
        MainWindow& again = start();
        EXPECT_EQ(again.library().currentPage(), 0) << stored;
        again.close();
    }
}

// With no page file the first page is the default one, and what the renaming file keeps for
// the first page is its.
TEST_F(MainWindowStartup, TheDefaultPageTakesTheRenamingKeptForTheFirstPage) {
    program.write("config/設定_個別転送.ini", "\"IndividualTrans\",0,2,1,\"trip\",5\r\n");
    MainWindow& f = start();
    const Slot& slot = f.library().page(0).folderSlots[2];
    EXPECT_EQ(slot.renaming, Renaming::On);
    EXPECT_EQ(slot.fixedName, QStringLiteral("trip"));
    EXPECT_EQ(slot.nextNumber, 5);
    f.close();
}

TEST_F(MainWindowStartup, BrokenConfigurationNeverStopsStartUpAndIsRewrittenSound) {
    program.write("config/設定_ページ.ini", QByteArray("\x81\x00\xff\r\n\r\n", 6));
    program.write("config/設定_フォルダ.ini", QByteArray(3000, '\0'));
    program.write("config/設定_オプション.ini",
                  "\"owMode\",1e999\r\n\"StateWndMain\",,,,,\r\n\"CurrentPageNum\",1e12\r\n");
    program.write("config/設定_個別転送.ini", QByteArray("\"IndividualTrans\",99999,-3,1,\"x\",1\r\n,,,,,,,,,,\r\n"));
    MainWindow& f = start();
    EXPECT_EQ(f.library().pageCount(), 2);
    EXPECT_EQ(f.options().collisionMode, CollisionMode::Ask);
    f.close();
    EXPECT_EQ(optionsFile().count("\r\n"), 11);
    EXPECT_EQ(renamingFile().count("\r\n"), 20);
}

TEST_F(MainWindowStartup, UnwritableConfigIsReportedAndNothingCrashes) {
    MainWindow& f = start();
    QDir(program.file("config")).removeRecursively();
    program.write("config", "a file where the folder should be");
    f.close();
    // Each file the close writes says it failed, Orvane's own settings too.
    ASSERT_EQ(msg.shown.size(), 3u);
    EXPECT_TRUE(msg.shown[0].text.contains(QStringLiteral("設定_オプション.ini")));
    EXPECT_TRUE(msg.shown[1].text.contains(QStringLiteral("設定_個別転送.ini")));
    EXPECT_TRUE(msg.shown[2].text.contains(QStringLiteral("設定_拡張.ini")));
}

}  // namespace
