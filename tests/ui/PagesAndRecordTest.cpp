// The page chooser on G, the overview panel's edge and tips, and the transfer record window,
// driven through the real key router and mouse events.
#include <gtest/gtest.h>

#include <QAction>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>
#include <QTreeWidget>

#include "platform/FileSystem.h"
#include "MainWindowFixture.h"
#include "ui/OverviewPanel.h"
#include "ui/PageChooser.h"
#include "ui/TransferRecordWindow.h"

namespace {

class PagesAndRecord : public MainWindowWithPictures {
protected:
    void SetUp() override {
        MainWindowWithPictures::SetUp();
        services.fileSystem = &fs;
        services.showFolder = [this](const QString& folder) {
            shownFolders << folder;
            return true;
        };
    }
    // The window on the pictures folder, slot 1 and 2 of page 0 pointing at two folders.
    MainWindow& startSorting() {
        MainWindow& f = start(folder());
        for (int s : {1, 2}) {
            f.library().page(0).folderSlots[s].folder = sorted.file(QString::number(s)) + '/';
            QDir().mkpath(sorted.file(QString::number(s)));
        }
        EXPECT_TRUE(f.session().imageShown());
        return f;
    }
    void tap(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyPress(window->imageView(), key, mods);
        QTest::keyRelease(window->imageView(), key, mods);
    }

    PosixFileSystem fs;
    TempDir sorted;
    QStringList shownFolders;
};

// G (and Ctrl+G) lists every page numbered from 1 with the current one selected; typing part of
// a name picks it and Enter goes there as a page key does; Escape keeps the page.
TEST_F(PagesAndRecord, GChoosesAnyPageByPartOfItsName) {
    MainWindow& f = startSorting();
    for (int p = 1; p < 250; ++p) f.library().appendPage(QStringLiteral("P%1").arg(p + 1));
    f.library().page(120).name = QStringLiteral("風景");
    f.library().page(3).folderSlots[1] = f.library().page(0).folderSlots[1];
    f.session().goToPage(3);
    tap(Qt::Key_C);
    tap(Qt::Key_1);
    ASSERT_TRUE(f.session().copied());

    int runs = 0;
    f.runModal = [&](QDialog& d) {
        auto& chooser = dynamic_cast<PageChooser&>(d);
        ++runs;
        EXPECT_EQ(chooser.pageList()->count(), 250);
        EXPECT_EQ(chooser.pageList()->currentItem()->text(), QStringLiteral("4: P4"));
        QInputMethodEvent typed;  // as an input method commits Japanese text
        typed.setCommitString(QStringLiteral("風"));
        QApplication::sendEvent(chooser.filterBox(), &typed);
        QTest::keyClick(chooser.filterBox(), Qt::Key_Return);
    };
    tap(Qt::Key_G);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(f.library().currentPage(), 120);
    EXPECT_EQ(f.overviewPanel()->toPlainText().split(QLatin1Char('\n')).first().trimmed(),
              QStringLiteral("<< 風景 >> 121/250"));
    EXPECT_FALSE(f.session().copied());

    f.runModal = [&](QDialog& d) {
        auto& chooser = dynamic_cast<PageChooser&>(d);
        ++runs;
        QTest::keyClicks(chooser.filterBox(), QStringLiteral("7"));
        EXPECT_EQ(chooser.chosenPage(), 6);
        QTest::keyClick(chooser.filterBox(), Qt::Key_Escape);
    };
    tap(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(f.library().currentPage(), 120);
    tap(Qt::Key_G, Qt::ShiftModifier);
    EXPECT_EQ(runs, 2);
}

// The edge right of the panel widens it and the width is kept; a window too small for both
// takes from the panel first; a slot's line tells its folder in full.
TEST_F(PagesAndRecord, PanelWidensKeepsItsWidthAndGivesWayFirst) {
    MainWindow& f = startSorting();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    ASSERT_EQ(f.overviewPanel()->width(), 145);
    PanelEdge* edge = f.panelEdge();
    ASSERT_EQ(edge->geometry().left(), 149);
    QTest::mousePress(edge, Qt::LeftButton, Qt::NoModifier, QPoint(1, 50));
    QTest::mouseMove(edge, QPoint(1 + 151, 50));
    // The edge has moved with the panel: the mouse is where it took hold again.
    QTest::mouseRelease(edge, Qt::LeftButton, Qt::NoModifier, QPoint(1, 50));
    EXPECT_EQ(f.overviewPanel()->width(), 296);
    EXPECT_EQ(f.imageView()->geometry().left(), 304);
    EXPECT_EQ(f.options().panelWidth, 296);

    f.resize(500, f.height());
    QApplication::processEvents();
    EXPECT_EQ(f.imageView()->width(), 240);
    EXPECT_EQ(f.overviewPanel()->width(), 500 - 12 - 240);
    f.resize(160, f.height());
    QApplication::processEvents();
    EXPECT_EQ(f.overviewPanel()->width(), 145);

    const QRect line = f.overviewPanel()->cursorRect(
        QTextCursor(f.overviewPanel()->document()->findBlockByNumber(3)));
    QHelpEvent help(QEvent::ToolTip, line.center(), f.overviewPanel()->viewport()->mapToGlobal(line.center()));
    QApplication::sendEvent(f.overviewPanel()->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), sorted.file("1") + '/');

    f.close();
    EXPECT_TRUE(program.read("config/設定_拡張.ini").contains("\"PanelWidth\",296\r\n"));
}

// The record window lists this run's actions newest first and follows new ones; Enter opens the
// folder the file is in now. A record file that cannot be written is told once.
TEST_F(PagesAndRecord, RecordWindowListsActionsAndOpensTheirFolders) {
    MainWindow& f = startSorting();
    f.options().transferLog = true;
    QDir(program.file("config")).mkpath(QStringLiteral("転送記録.tsv"));  // a folder: no file there
    tap(Qt::Key_1);                   // a1.bmp moved
    tap(Qt::Key_C);
    tap(Qt::Key_2);                   // a2.jpg copied
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_TRUE(msg.shown[0].text.contains(QStringLiteral("転送記録")));
    f.findChild<QAction*>(QStringLiteral("transferRecord"))->trigger();
    TransferRecordWindow* w = f.transferRecordWindow();
    ASSERT_NE(w, nullptr);
    tap(Qt::Key_Z, Qt::ControlModifier);  // the copy taken back, while the window is open
    EXPECT_EQ(msg.shown.size(), 1u);

    QTreeWidget* rows = w->rows();
    ASSERT_EQ(rows->topLevelItemCount(), 3);
    auto row = [rows](int r) {
        QStringList cells;
        for (int c = 1; c < 5; ++c) cells << rows->topLevelItem(r)->text(c);
        return cells;
    };
    const QString sortedOne = sorted.file("1") + '/';
    const QString sortedTwo = sorted.file("2") + '/';
    EXPECT_EQ(row(0), (QStringList{"元に戻した", "a2.jpg", sortedTwo, folder()}));
    EXPECT_EQ(row(1), (QStringList{"コピー", "a2.jpg", folder(), sortedTwo}));
    EXPECT_EQ(row(2), (QStringList{"移動", "a1.bmp", folder(), sortedOne}));
    ASSERT_EQ(rows->currentItem(), rows->topLevelItem(0));
    QTest::keyClick(rows, Qt::Key_Return);
    rows->setCurrentItem(rows->topLevelItem(2));
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(shownFolders, (QStringList{pics.path(), sorted.file("1")}));
}

}  // namespace
