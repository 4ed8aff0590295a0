#include <gtest/gtest.h>

#include <QDir>
#include <QScreen>
#include <QStandardPaths>

#include "MainWindow.h"
#include "WorkingDirectoryGuard.h"
#include "TestSupport.h"

namespace {

// Starts MainWindow in a temporary program directory, as the program starts in its own folder.
class MainWindowStartup : public ::testing::Test {
protected:
    WorkingDirectoryGuard workingDirectory;  // first: undone last
    void SetUp() override {
        services.msgBox = &msg;
    }
    std::unique_ptr<MainWindow> Start(const QString& commandLine = QString()) {
        auto form = std::make_unique<MainWindow>(services, program.path(), commandLine);
        form->startUp();
        return form;
    }
    QByteArray File0() const { return program.read("config/設定_オプション.ini"); }
    QByteArray File1() const { return program.read("config/設定_個別転送.ini"); }

    TempDir program;
    FakeMsgBox msg;
    Services services;
};

TEST_F(MainWindowStartup, FirstRunCreatesConfigAndTheDefaultPageAndClosingWritesBothFiles) {
    // A folder in the plug-in's place is no plug-in: PNG files must not be offered.
    ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("dll/ifPNG.spi")));
    auto form = Start();
    EXPECT_TRUE(QDir(program.file("config")).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(program.path()).canonicalPath());
    EXPECT_EQ(form->library().pageCount(), 1);
    EXPECT_EQ(form->library().currentPage(), 0);
    EXPECT_EQ(form->library().page(0).name, QStringLiteral("新規ページ"));
    EXPECT_EQ(form->library().page(0).folderSlots[0].title, QStringLiteral("マイドキュメント"));
    EXPECT_TRUE(form->library().page(0).folderSlots[0].folder.endsWith(QLatin1Char('/')));
    EXPECT_EQ(form->library().page(0).folderSlots[1].title, QStringLiteral("マイピクチャー"));
    EXPECT_EQ(form->library().page(0).folderSlots[1].folder,
              QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + QLatin1Char('/'));
    EXPECT_EQ(form->statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Orvane"));
    EXPECT_TRUE(form->overviewPanel()->toPlainText().startsWith(QStringLiteral("<< 新規ページ >>")));
    EXPECT_TRUE(form->overviewPanel()->toPlainText().contains(QStringLiteral("\uFF1E新規ページ")));
    EXPECT_FALSE(form->session().pngPluginAvailable());

    // Nothing is written until the window closes.
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));
    form->close();
    const QByteArray file0 = File0();
    EXPECT_EQ(file0.count("\r\n"), 11);
    EXPECT_TRUE(file0.startsWith("\"DelTrash\",0\r\n"));
    EXPECT_TRUE(file0.contains("\"StateWndMain\","));
    const QByteArray file1 = File1();
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
    auto form = Start();
    EXPECT_EQ(form->library().pageCount(), 3);
    EXPECT_EQ(form->library().currentPage(), 2);
    EXPECT_TRUE(form->options().fitToView);
    EXPECT_EQ(form->library().page(1).folderSlots[4].nextNumber, 41);
    EXPECT_TRUE(form->session().pngPluginAvailable());
    EXPECT_EQ(form->geometry().size(), QSize(700, 500));
    form->close();
    EXPECT_TRUE(File0().contains("\"CurrentPageNum\",2\r\n\"CurrentFullMode\",-1\r\n"));
    EXPECT_TRUE(File1().contains("\"IndividualTrans\",1,4,1,\"trip\",41\r\n"));

    for (const char* stored : {"250", "3", "-1"}) {
        program.write("config/設定_オプション.ini", QByteArray("\"CurrentPageNum\",") + stored + "\r\n");
        auto again = Start();
        EXPECT_EQ(again->library().currentPage(), 0) << stored;
        again->close();
    }
}

// With no page file the first page is the default one, and what the renaming file keeps for
// the first page is its.
TEST_F(MainWindowStartup, TheDefaultPageTakesTheRenamingKeptForTheFirstPage) {
    program.write("config/設定_個別転送.ini", "\"IndividualTrans\",0,2,1,\"trip\",5\r\n");
    auto form = Start();
    const Slot& slot = form->library().page(0).folderSlots[2];
    EXPECT_EQ(slot.renaming, 1);
    EXPECT_EQ(slot.fixedName, QStringLiteral("trip"));
    EXPECT_EQ(slot.nextNumber, 5);
    form->close();
}

TEST_F(MainWindowStartup, BrokenConfigurationNeverStopsStartUpAndIsRewrittenSound) {
    program.write("config/設定_ページ.ini", QByteArray("\x81\x00\xff\r\n\r\n", 6));
    program.write("config/設定_フォルダ.ini", QByteArray(3000, '\0'));
    program.write("config/設定_オプション.ini",
                  "\"owMode\",1e999\r\n\"StateWndMain\",,,,,\r\n\"CurrentPageNum\",1e12\r\n");
    program.write("config/設定_個別転送.ini", QByteArray("\"IndividualTrans\",99999,-3,1,\"x\",1\r\n,,,,,,,,,,\r\n"));
    auto form = Start();
    EXPECT_EQ(form->library().pageCount(), 2);
    EXPECT_EQ(form->options().collisionMode, 0);
    form->close();
    EXPECT_EQ(File0().count("\r\n"), 11);
    EXPECT_EQ(File1().count("\r\n"), 20);
}

// A stored placement holds any 32-bit numbers: the window always lands inside a screen's free
// area, no larger than it (a size far past it once made a backing picture of gigabytes), with
// no arithmetic overflow on the way.
TEST_F(MainWindowStartup, HostilePlacementsAreClampedToTheScreen) {
    const char* lines[] = {
        "100,100,70000,70000,1",
        "0,0,2147483647,2147483647,1",
        "-2147483648,-2147483648,2147483647,2147483647,3",
        "-2147483648,-2147483648,-2147483000,-2147483000,1",
        "2147483000,2147483000,2147483647,2147483647,1",
        "-50,-60,250,240,1",
    };
    for (const char* line : lines) {
        program.write("config/設定_オプション.ini", QByteArray("\"StateWndMain\",") + line + "\r\n");
        auto form = Start();
        const QRect area = form->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(form->geometry())) << line;
        form->close();
    }
}

TEST_F(MainWindowStartup, UnwritableConfigIsReportedAndNothingCrashes) {
    auto form = Start();
    QDir(program.file("config")).removeRecursively();
    program.write("config", "a file where the folder should be");
    form->close();
    ASSERT_EQ(msg.shown.size(), 2u);
    EXPECT_TRUE(msg.shown[0].text.contains(QStringLiteral("設定_オプション.ini")));
    EXPECT_TRUE(msg.shown[1].text.contains(QStringLiteral("設定_個別転送.ini")));
}

}  // namespace
