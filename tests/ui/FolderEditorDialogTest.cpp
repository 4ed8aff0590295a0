#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "FolderEditorDialog.h"
#include "LineBreakGuard.h"
#include "NamePart.h"

namespace {

class FolderEditorDialogTest : public DialogTest {
protected:
    // An editor of the fixture's library and options; Edited() is its copy from then on.
    std::unique_ptr<FolderEditorDialog> Open() {
        auto editor = std::make_unique<FolderEditorDialog>(services, program.path(), library, options);
        opened_ = editor.get();
        return editor;
    }
    const FolderLibrary& Edited() const { return opened_->library(); }

    static QStringList Entries(const FolderEditorDialog& f) {
        QStringList out;
        for (int k = 0; k < f.pageList()->count(); ++k) out << f.pageList()->item(k)->text();
        return out;
    }
    // The invariant after every page operation: list, current page and rows agree.
    static void ExpectShows(const FolderEditorDialog& f, int page) {
        EXPECT_EQ(f.library().currentPage(), page);
        EXPECT_EQ(f.pageList()->currentRow(), page);
        EXPECT_EQ(f.pageList()->count(), f.library().pageCount());
        EXPECT_EQ(f.pageNameBox()->text(), f.library().page(page).name);
        EXPECT_EQ(f.titleBox(0)->text(), f.library().page(page).folderSlots[0].title);
        EXPECT_FALSE(f.fillingFromLibrary());
    }
    static int Lines(const QByteArray& bytes) { return int(bytes.count("\r\n")); }

private:
    FolderEditorDialog* opened_ = nullptr;
};

TEST_F(FolderEditorDialogTest, OpensOnTheCurrentPageWithEveryText) {
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("ショートカットフォルダ設定"));
    EXPECT_EQ(Entries(*f), (QStringList{"A", "B", "C"}));
    ExpectShows(*f, 1);
    EXPECT_EQ(f->pageCountLabel()->text(), QStringLiteral("ページ数 3 / 250"));
    EXPECT_EQ(FolderEditorDialog::PageCountCaption(5), QStringLiteral("ページ数 5 / 250"));
    EXPECT_EQ(f->folderBox(0)->text(), QStringLiteral("/p1/"));
    EXPECT_EQ(f->nextNumberBox(3)->text(), QStringLiteral("1"));
    EXPECT_EQ(f->browseButton(0)->text(), QStringLiteral("参照"));
    EXPECT_EQ(f->clearButton(9)->text(), QStringLiteral("クリア"));
    EXPECT_TRUE(f->renamingSwitch(0)->text().isEmpty());
    const QStringList texts = {"ページ名", "ページ一覧", "表示名", "フォルダパス ", "固定名", "次番号",
                               "┌──　個別連番転送　──┐", "0.", "9.",
                               "「表示名」と「フォルダパス」はエクスプローラからのドロップに対応しています"};
    QStringList shown;
    for (QLabel* l : f->findChildren<QLabel*>()) shown << l->text();
    for (const QString& t : texts) EXPECT_TRUE(shown.contains(t)) << t.toStdString();
    QStringList buttons;
    for (QPushButton* b : f->findChildren<QPushButton*>()) buttons << b->text();
    for (const char* t : {"▲", "▼", "新規", "削除", "閉じる"})
        EXPECT_TRUE(buttons.contains(QString::fromUtf8(t))) << t;
    // Loading writes nothing back into the library.
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("B"));
}

TEST_F(FolderEditorDialogTest, EveryPageChangeStoresTheRowsFirst) {
    auto f = Open();
    f->titleBox(0)->setText(QStringLiteral("edited B"));
    f->pageList()->setCurrentRow(2);  // as a click does
    EXPECT_EQ(Edited().page(1).folderSlots[0].title, QStringLiteral("edited B"));
    ExpectShows(*f, 2);

    f->nextNumberBox(4)->setText(QStringLiteral("77"));
    QTest::keyClick(f->pageList(), Qt::Key_Minus, Qt::NoModifier);
    EXPECT_EQ(Edited().page(2).folderSlots[4].nextNumber, 77);
    ExpectShows(*f, 1);

    f->folderBox(5)->setText(QStringLiteral("/typed"));
    f->addPageClicked();
    EXPECT_EQ(Edited().page(2).folderSlots[5].folder, QStringLiteral("/typed"));  // B moved to index 2

    f->pageNameBox()->setText(QStringLiteral("new name"));
    f->deletePageClicked();  // the store reaches the page that is then deleted: no harm
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("B"));

    f->titleBox(1)->setText(QStringLiteral("x"));
    f->movePageUpClicked();
    EXPECT_EQ(Edited().page(0).folderSlots[1].title, QStringLiteral("x"));  // B, now at index 0
}

TEST_F(FolderEditorDialogTest, NewPageIsInsertedBeforeTheCurrentOneAndBecomesCurrent) {
    auto f = Open();
    f->addPageClicked();
    EXPECT_EQ(Entries(*f), (QStringList{"A", "新しいページ", "B", "C"}));
    ExpectShows(*f, 1);
    EXPECT_TRUE(f->titleBox(0)->text().isEmpty());
    EXPECT_EQ(f->pageCountLabel()->text(), QStringLiteral("ページ数 4 / 250"));
}

TEST_F(FolderEditorDialogTest, AddAtTheLimitShowsTheMessageAndChangesNothing) {
    while (library.pageCount() < 250) library.appendPage(QStringLiteral("more"));
    auto f = Open();
    f->addPageClicked();
    EXPECT_EQ(msg.texts(), QStringList{"ページはこれ以上追加できません"});
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("Orvane"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(f->pageList()->count(), 250);
    ExpectShows(*f, 1);
}

TEST_F(FolderEditorDialogTest, DeleteKeepsTheListAndTheCurrentPageInStep) {
    library.selectPage(2);
    auto f = Open();
    f->deletePageClicked();  // the last page: the new last one is current
    EXPECT_EQ(Entries(*f), (QStringList{"A", "B"}));
    ExpectShows(*f, 1);

    // Deleting the first page: Qt selects a neighbour on its own while the row goes; the page
    // that moved into position 0 must be the one shown.
    library = f->library();
    library.selectPage(0);
    auto g = Open();
    g->deletePageClicked();
    EXPECT_EQ(Entries(*g), QStringList{"B"});
    ExpectShows(*g, 0);
    EXPECT_EQ(g->titleBox(0)->text(), QStringLiteral("t1"));

    g->deletePageClicked();
    EXPECT_EQ(msg.texts(), QStringList{"ページはこれ以上削除できません"});
    EXPECT_EQ(Entries(*g), QStringList{"B"});
    ExpectShows(*g, 0);
}

TEST_F(FolderEditorDialogTest, MovesAtTheEndsDoNothingNotEvenAStore) {
    library.selectPage(0);
    auto f = Open();
    f->titleBox(0)->setText(QStringLiteral("unsaved"));
    f->movePageUpClicked();
    EXPECT_EQ(Edited().page(0).folderSlots[0].title, QStringLiteral("t0"));
    EXPECT_EQ(Entries(*f), (QStringList{"A", "B", "C"}));

    f->pageList()->setCurrentRow(2);
    f->titleBox(0)->setText(QStringLiteral("unsaved"));
    f->movePageDownClicked();
    EXPECT_EQ(Edited().page(2).folderSlots[0].title, QStringLiteral("t2"));
    EXPECT_EQ(Edited().currentPage(), 2);
    EXPECT_EQ(f->pageList()->currentRow(), 2);
    EXPECT_EQ(f->titleBox(0)->text(), QStringLiteral("unsaved"));
}

TEST_F(FolderEditorDialogTest, MovedPageStaysCurrentAndShown) {
    library.selectPage(2);
    auto f = Open();
    f->movePageUpClicked();
    EXPECT_EQ(Entries(*f), (QStringList{"A", "C", "B"}));
    ExpectShows(*f, 1);
    EXPECT_EQ(f->titleBox(0)->text(), QStringLiteral("t2"));
    f->movePageDownClicked();
    EXPECT_EQ(Entries(*f), (QStringList{"A", "B", "C"}));
    ExpectShows(*f, 2);
    f->movePageUpClicked();
    f->movePageUpClicked();
    EXPECT_EQ(Entries(*f), (QStringList{"C", "A", "B"}));
    ExpectShows(*f, 0);
}

TEST_F(FolderEditorDialogTest, RenamingShowsInTheListAtOnceAndIsKeptAcrossPages) {
    auto f = Open();
    f->pageNameBox()->selectAll();
    QTest::keyClicks(f->pageNameBox(), QStringLiteral("Trips"));
    EXPECT_EQ(f->pageList()->item(1)->text(), QStringLiteral("Trips"));
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("B"));  // stored at the next store
    f->pageList()->setCurrentRow(0);
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("Trips"));
    EXPECT_EQ(f->pageList()->item(1)->text(), QStringLiteral("Trips"));
    EXPECT_EQ(f->pageList()->item(0)->text(), QStringLiteral("A"));

    f->pageNameBox()->clear();  // an empty name gives an empty entry
    EXPECT_TRUE(f->pageList()->item(0)->text().isEmpty());
}

TEST_F(FolderEditorDialogTest, ListTakesPlusAndMinusAndDiscardsEveryOtherCharacter) {
    auto f = Open();
    QTest::keyClick(f->pageList(), Qt::Key_Plus, Qt::NoModifier);
    ExpectShows(*f, 2);
    QTest::keyClick(f->pageList(), Qt::Key_Plus, Qt::NoModifier);  // already last
    ExpectShows(*f, 2);
    QTest::keyClicks(f->pageList(), QStringLiteral("A"));  // no search by letters
    ExpectShows(*f, 2);
    QTest::keyClick(f->pageList(), Qt::Key_Minus, Qt::NoModifier);
    QTest::keyClick(f->pageList(), Qt::Key_Minus, Qt::NoModifier);
    QTest::keyClick(f->pageList(), Qt::Key_Minus, Qt::NoModifier);  // already first
    ExpectShows(*f, 0);
}

TEST_F(FolderEditorDialogTest, ClosingStoresTheShownPageAndWritesTheThreeFiles) {
    auto f = Open();
    f->titleBox(3)->setText(QStringLiteral("Cats"));
    f->folderBox(3)->setText(QStringLiteral("/pics/cats"));
    f->nextNumberBox(3)->setText(QStringLiteral("42"));
    f->closeClicked();
    EXPECT_EQ(Edited().page(1).folderSlots[3].title, QStringLiteral("Cats"));
    EXPECT_EQ(Edited().page(1).folderSlots[3].nextNumber, 42);
    EXPECT_EQ(Lines(program.read("config/設定_ページ.ini")), 3);
    const QByteArray folder = program.read("config/設定_フォルダ.ini");
    EXPECT_EQ(Lines(folder), 60);
    EXPECT_TRUE(folder.contains("/pics/cats"));
    EXPECT_EQ(Lines(program.read("config/設定_個別転送.ini")), 30);
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(FolderEditorDialogTest, EscapeClosesAndSavesTooButOnlyOnce) {
    auto f = Open();
    f->titleBox(0)->setText(QStringLiteral("via escape"));
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_EQ(Edited().page(1).folderSlots[0].title, QStringLiteral("via escape"));
    EXPECT_TRUE(program.exists("config/設定_フォルダ.ini"));
    QFile::remove(program.file("config/設定_フォルダ.ini"));
    f->close();
    EXPECT_FALSE(program.exists("config/設定_フォルダ.ini"));
}

TEST_F(FolderEditorDialogTest, NextNumberTakesDigitsAndBackspaceAndReducesModulo1000001) {
    options.continueNumbers = 1;  // so that the box takes keys
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

    EXPECT_EQ(FolderEditorDialog::NextNumberText(QStringLiteral("9999990")), QStringLiteral("999981"));
    EXPECT_EQ(FolderEditorDialog::NextNumberText(QStringLiteral("1000001")), QStringLiteral("0"));
    EXPECT_EQ(FolderEditorDialog::NextNumberText(QStringLiteral("1000000")), QStringLiteral("1000000"));
    EXPECT_EQ(FolderEditorDialog::NextNumberText(QStringLiteral("4294967296")), QStringLiteral("963002"));
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
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, 1);
    EXPECT_TRUE(f->fixedNameBox(0)->isEnabled());
    EXPECT_EQ(base(f->fixedNameBox(0)), normal);
    EXPECT_FALSE(f->nextNumberBox(0)->isEnabled());
    EXPECT_NE(base(f->nextNumberBox(0)), normal);

    f->renamingSwitch(0)->click();
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, 0);
    EXPECT_FALSE(f->fixedNameBox(0)->isEnabled());
    EXPECT_EQ(f->fixedNameBox(0)->text(), QStringLiteral("keep"));

    options.continueNumbers = 1;
    library.page(2).folderSlots[4].renaming = 1;
    library.page(2).folderSlots[5].renaming = 7;  // any value but 1 is off
    auto g = Open();
    g->pageList()->setCurrentRow(2);
    EXPECT_TRUE(g->renamingSwitch(4)->isChecked());
    EXPECT_TRUE(g->nextNumberBox(4)->isEnabled());
    EXPECT_EQ(base(g->nextNumberBox(4)), normal);
    EXPECT_FALSE(g->renamingSwitch(5)->isChecked());
    EXPECT_EQ(Edited().page(2).folderSlots[5].renaming, 0);
}

TEST_F(FolderEditorDialogTest, FixedNameIsWrittenThroughOnEveryChange) {
    auto f = Open();
    f->renamingSwitch(7)->click();
    QTest::keyClicks(f->fixedNameBox(7), QStringLiteral("ab "));
    EXPECT_EQ(Edited().page(1).folderSlots[7].fixedName, QStringLiteral("ab "));
    f->pageList()->setCurrentRow(0);
    EXPECT_EQ(Edited().page(1).folderSlots[7].fixedName, QStringLiteral("ab "));
    EXPECT_TRUE(Edited().page(0).folderSlots[7].fixedName.isEmpty());
}

TEST_F(FolderEditorDialogTest, ClearEmptiesTheSlot) {
    library.page(1).folderSlots[0].renaming = 1;
    library.page(1).folderSlots[0].fixedName = QStringLiteral("name");
    library.page(1).folderSlots[0].nextNumber = 55;
    auto f = Open();
    f->clearButton(0)->click();
    EXPECT_TRUE(Edited().page(1).folderSlots[0].title.isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[0].folder.isEmpty());
    EXPECT_TRUE(Edited().page(1).folderSlots[0].fixedName.isEmpty());
    EXPECT_EQ(Edited().page(1).folderSlots[0].renaming, 0);
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
    EXPECT_EQ(msg.texts(), QStringList{LineBreakGuard::Message()});
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
    EXPECT_EQ(f->pageList()->item(1)->text(), QStringLiteral("B"));
    EXPECT_EQ(msg.texts(), QStringList(4, LineBreakGuard::Message()));
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
    EXPECT_EQ(msg.texts(), (QStringList{NamePart::Refusal("\""), NamePart::Refusal("/"), NamePart::Refusal(".")}));
}

}  // namespace
