// The folder editor's slot rows: the next-number rule, the switch rule, "クリア", "参照",
// folder drops and the refused characters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "FolderEditorDialogTest.h"
#include "ui/LineBreakGuard.h"
#include "core/NamePart.h"

namespace {

TEST_F(FolderEditorDialogTest, NextNumberTakesDigitsAndBackspaceAndReducesModulo1000001) {
    options.continueNumbers = true;  // so that the box takes keys
    auto f = Open();
    QLineEdit* box = f->nextNumberBox(2);
    f->renamingSwitch(2)->click();
    ASSERT_TRUE(box->isEnabled());
    box->setText(QString());
    EXPECT_EQ(box->text(), QStringLiteral("0"));
    box->setCursorPosition(1);
    QTest::keyClicks(box, QStringLiteral("a-."));
    QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("１"));  // a full-width digit
    QApplication::sendEvent(box, &wide);
    EXPECT_EQ(box->text(), QStringLiteral("0"));
    QTest::keyClicks(box, QStringLiteral("0123"));
    EXPECT_EQ(box->text(), QStringLiteral("123"));
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), QStringLiteral("12"));
    QTest::keyClicks(box, QStringLiteral("99999"));  // 1299999
    EXPECT_EQ(box->text(), QStringLiteral("299998"));

    EXPECT_EQ(FolderEditorDialog::nextNumberText(QStringLiteral("9999990")), QStringLiteral("999981"));
    EXPECT_EQ(FolderEditorDialog::nextNumberText(QStringLiteral("1000001")), QStringLiteral("0"));
    EXPECT_EQ(FolderEditorDialog::nextNumberText(QStringLiteral("1000000")), QStringLiteral("1000000"));
    EXPECT_EQ(FolderEditorDialog::nextNumberText(QStringLiteral("4294967296")), QStringLiteral("963002"));
    box->selectAll();
    box->insert(QStringLiteral("99999999999999999999"));  // a paste far beyond 32 bits
    EXPECT_EQ(box->text(), QStringLiteral("999900"));
    box->selectAll();
    box->insert(QStringLiteral("12abc"));
    EXPECT_EQ(box->text(), QStringLiteral("12"));
}

TEST_F(FolderEditorDialogTest, StoredNumberAboveTheRangeIsShownReducedAndStoredSo) {
    library.page(1).folderSlots[6].nextNumber = 2000000;
    auto f = Open();
    EXPECT_EQ(f->nextNumberBox(6)->text(), QStringLiteral("999999"));
    EXPECT_EQ(Edited().page(1).folderSlots[6].nextNumber, 2000000);
    f->storePage();
    EXPECT_EQ(Edited().page(1).folderSlots[6].nextNumber, 999999);
}

TEST_F(FolderEditorDialogTest, SwitchRuleSetsEnabledStatesColoursAndTheSlot) {
    auto f = Open();
    const QColor normal = f->titleBox(0)->palette().color(QPalette::Base);
    auto base = [](QLineEdit* e) { return e->palette().color(QPalette::Base); };
    EXPECT_FALSE(f->fixedNameBox(0)->isEnabled());
    EXPECT_FALSE(f->nextNumberBox(0)->isEnabled());
    EXPECT_NE(base(f->fixedNameBox(0)), normal);

    f->fixedNameBox(0)->setText(QStringLiteral("keep"));
    f->renamingSwitch(0)->click();  // owMemIndSeqNum is 0
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, Renaming::On);
    EXPECT_TRUE(f->fixedNameBox(0)->isEnabled());
    EXPECT_EQ(base(f->fixedNameBox(0)), normal);
    EXPECT_FALSE(f->nextNumberBox(0)->isEnabled());
    EXPECT_NE(base(f->nextNumberBox(0)), normal);

    f->renamingSwitch(0)->click();
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, Renaming::Off);
    EXPECT_FALSE(f->fixedNameBox(0)->isEnabled());
    EXPECT_EQ(f->fixedNameBox(0)->text(), QStringLiteral("keep"));

    options.continueNumbers = true;
    library.page(2).folderSlots[4].renaming = Renaming::On;
    library.page(2).folderSlots[5].renaming = static_cast<Renaming>(7);  // a value read from a file: off
    auto g = Open();
    Choose(*g, 2);
    EXPECT_TRUE(g->renamingSwitch(4)->isChecked());
    EXPECT_TRUE(g->nextNumberBox(4)->isEnabled());
    EXPECT_EQ(base(g->nextNumberBox(4)), normal);
    EXPECT_FALSE(g->renamingSwitch(5)->isChecked());
    EXPECT_EQ(Edited().page(2).folderSlots[5].renaming, Renaming::Off);
}

TEST_F(FolderEditorDialogTest, FixedNameIsWrittenThroughOnEveryChange) {
    auto f = Open();
    f->renamingSwitch(7)->click();
    QTest::keyClicks(f->fixedNameBox(7), QStringLiteral("ab "));
    EXPECT_EQ(Edited().page(1).folderSlots[7].fixedName, QStringLiteral("ab "));
    Choose(*f, 0);
    EXPECT_EQ(Edited().page(1).folderSlots[7].fixedName, QStringLiteral("ab "));
    EXPECT_TRUE(Edited().page(0).folderSlots[7].fixedName.isEmpty());
}

TEST_F(FolderEditorDialogTest, ClearEmptiesTheSlot) {
    library.page(1).folderSlots[0].renaming = Renaming::On;
    library.page(1).folderSlots[0].fixedName = QStringLiteral("name");
    library.page(1).folderSlots[0].nextNumber = 55;
    auto f = Open();
    f->clearButton(0)->click();
    EXPECT_TRUE(Edited().page(1).folderSlots[0].title.isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[0].folder.isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[0].fixedName.isEmpty());
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, Renaming::Off);
    EXPECT_EQ(f->nextNumberBox(0)->text(), QStringLiteral("0"));
    EXPECT_FALSE(f->fixedNameBox(0)->isEnabled());
    EXPECT_EQ(Edited().page(1).folderSlots[0].nextNumber, 55);
    f->storePage();
    EXPECT_EQ(Edited().page(1).folderSlots[0].nextNumber, 0);
}

TEST_F(FolderEditorDialogTest, BrowseSetsThePathAsReturnedAndCancelChangesNothing) {
    auto f = Open();
    f->browseButton(2)->click();  // the fake cancels
    EXPECT_EQ(dialogs.folderTitles, QStringList{"フォルダを選択してください"});
    EXPECT_TRUE(f->folderBox(2)->text().isEmpty());

    dialogs.folderAnswers.push_back(QStringLiteral("/home/u/Pictures"));
    f->titleBox(2)->setText(QStringLiteral("title"));
    f->browseButton(2)->click();
    EXPECT_EQ(Edited().page(1).folderSlots[2].folder, QStringLiteral("/home/u/Pictures"));
    EXPECT_EQ(f->folderBox(2)->text(), QStringLiteral("/home/u/Pictures"));
    EXPECT_EQ(f->titleBox(2)->text(), QStringLiteral("title"));

    dialogs.folderAnswers.push_back(QStringLiteral("/odd\nname"));
    f->browseButton(2)->click();
    EXPECT_EQ(msg.texts(), QStringList{LineBreakGuard::message()});
    EXPECT_EQ(Edited().page(1).folderSlots[2].folder, QStringLiteral("/home/u/Pictures"));
}

TEST_F(FolderEditorDialogTest, DroppedFolderSetsTitleAndPathOnTheTitleBoxAndOnlyThePathOnThePathBox) {
    TempDir place;
    QDir().mkpath(place.file("trip/day1"));
    QDir().mkpath(place.file("second"));
    place.write("photo.jpg", "x");
    auto f = Open();

    auto three = Urls({place.file("trip/day1"), place.file("second"), place.file("photo.jpg")});
    EXPECT_TRUE(f->titleAcceptsDrop(4, three.get()));
    f->titleDropped(4, three.get());
    EXPECT_EQ(f->titleBox(4)->text(), QStringLiteral("day1"));
    EXPECT_EQ(Edited().page(1).folderSlots[4].folder, place.file("trip/day1") + QLatin1Char('/'));
    EXPECT_EQ(f->folderBox(4)->text(), place.file("trip/day1/"));
    EXPECT_EQ(Edited().page(1).folderSlots[4].title, QString());  // typed titles wait for the store

    f->titleBox(5)->setText(QStringLiteral("mine"));
    auto second = Urls({place.file("second/")});
    f->folderDropped(5, second.get());
    EXPECT_EQ(f->titleBox(5)->text(), QStringLiteral("mine"));
    EXPECT_EQ(Edited().page(1).folderSlots[5].folder, place.file("second/"));

    for (const auto& refused : {Urls({place.file("photo.jpg")}), Urls({place.file("gone")}),
                                std::make_unique<QMimeData>()}) {
        EXPECT_FALSE(f->folderAcceptsDrop(6, refused.get()));
        f->titleDropped(6, refused.get());
        f->folderDropped(6, refused.get());
    }
    EXPECT_TRUE(f->titleBox(6)->text().isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[6].folder.isEmpty());
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(FolderEditorDialogTest, DropEventsReachTheBoxesAndTextIsNeverTaken) {
    TempDir place;
    QDir().mkpath(place.file("shots"));
    auto f = Open();
    auto data = Urls({place.file("shots")});
    QLineEdit* box = f->titleBox(8);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    EXPECT_EQ(box->text(), QStringLiteral("shots"));

    QMimeData text;
    text.setText(QStringLiteral("dragged words"));
    QDragEnterEvent textEnter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f->folderBox(8), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f->folderBox(8), &textDrop);
    EXPECT_EQ(f->folderBox(8)->text(), place.file("shots/"));
}

TEST_F(FolderEditorDialogTest, LineBreaksAreRefusedWithAMessageWhereverTheyEnter) {
    TempDir place;
    ASSERT_TRUE(QDir().mkpath(place.file("two\nlines")));
    auto f = Open();
    auto data = Urls({place.file("two\nlines")});
    EXPECT_TRUE(f->titleAcceptsDrop(0, data.get()));
    f->titleDropped(0, data.get());
    EXPECT_EQ(f->titleBox(0)->text(), QStringLiteral("t1"));
    EXPECT_EQ(Edited().page(1).folderSlots[0].folder, QStringLiteral("/p1/"));

    f->folderBox(0)->setCursorPosition(2);
    f->folderBox(0)->insert(QStringLiteral("x\ny"));  // as a paste does
    EXPECT_EQ(f->folderBox(0)->text(), QStringLiteral("/p1/"));
    f->renamingSwitch(0)->click();
    f->fixedNameBox(0)->insert(QStringLiteral("a\r\nb"));
    EXPECT_TRUE(f->fixedNameBox(0)->text().isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[0].fixedName.isEmpty());
    f->pageNameBox()->insert(QStringLiteral("\n"));
    EXPECT_EQ(f->pageNameBox()->text(), QStringLiteral("B"));
    EXPECT_EQ(Entry(*f, 1), QStringLiteral("B"));
    EXPECT_EQ(msg.texts(), QStringList(4, LineBreakGuard::message()));
}

// The fixed name becomes part of a file name in a quoted field: a double quote, a "/" and a
// name that is "." or ".." are refused as typed, with a message, and never stored.
TEST_F(FolderEditorDialogTest, FixedNameRefusesQuotesSlashesAndDots) {
    auto f = Open();
    f->renamingSwitch(0)->click();
    QLineEdit* box = f->fixedNameBox(0);
    QTest::keyClicks(box, QStringLiteral("a\"/"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Period);
    EXPECT_EQ(box->text(), QStringLiteral("a"));
    EXPECT_EQ(Edited().page(1).folderSlots[0].fixedName, QStringLiteral("a"));
    EXPECT_EQ(msg.texts(), (QStringList{NamePart::refusal("\""), NamePart::refusal("/"), NamePart::refusal(".")}));
}

}  // namespace
