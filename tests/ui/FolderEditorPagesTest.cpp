// The folder editor's page side: opening, the page list and its operations, closing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "FolderEditorDialogTest.h"

namespace {

TEST_F(FolderEditorDialogTest, OpensOnTheCurrentPageWithEveryText) {
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("ショートカットフォルダ設定"));
    EXPECT_EQ(entries(*f), (QStringList{"A", "B", "C"}));
    ExpectShows(*f, 1);
    EXPECT_EQ(f->pageCountLabel()->text(), QStringLiteral("ページ数 3 / 250"));
    EXPECT_EQ(FolderEditorDialog::pageCountCaption(5), QStringLiteral("ページ数 5 / 250"));
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
    Choose(*f, 2);  // as a click does
    EXPECT_EQ(Edited().page(1).folderSlots[0].title, QStringLiteral("edited B"));
    ExpectShows(*f, 2);

    f->nextNumberBox(4)->setText(QStringLiteral("77"));
    QTest::keyClick(f->pageList(), Qt::Key_Minus, Qt::NoModifier);
    EXPECT_EQ(Edited().page(2).folderSlots[4].nextNumber, 77);
    ExpectShows(*f, 1);

    f->folderBox(5)->setText(QStringLiteral("/typed"));
    Click(*f, "addPage");
    EXPECT_EQ(Edited().page(2).folderSlots[5].folder, QStringLiteral("/typed"));  // B moved to index 2

    f->pageNameBox()->setText(QStringLiteral("new name"));
    Click(*f, "deletePage");  // the store reaches the page that is then deleted: no harm
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("B"));

    f->titleBox(1)->setText(QStringLiteral("x"));
    Click(*f, "movePageUp");
    EXPECT_EQ(Edited().page(0).folderSlots[1].title, QStringLiteral("x"));  // B, now at index 0
}

TEST_F(FolderEditorDialogTest, NewPageIsInsertedBeforeTheCurrentOneAndBecomesCurrent) {
    auto f = Open();
    Click(*f, "addPage");
    EXPECT_EQ(entries(*f), (QStringList{"A", "新しいページ", "B", "C"}));
    ExpectShows(*f, 1);
    EXPECT_TRUE(f->titleBox(0)->text().isEmpty());
    EXPECT_EQ(f->pageCountLabel()->text(), QStringLiteral("ページ数 4 / 250"));
}

TEST_F(FolderEditorDialogTest, AddAtTheLimitShowsTheMessageAndChangesNothing) {
    while (library.pageCount() < 250) library.appendPage(QStringLiteral("more"));
    auto f = Open();
    Click(*f, "addPage");
    EXPECT_EQ(msg.texts(), QStringList{"ページはこれ以上追加できません"});
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("Orvane"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(Count(*f), 250);
    ExpectShows(*f, 1);
}

TEST_F(FolderEditorDialogTest, DeleteKeepsTheListAndTheCurrentPageInStep) {
    library.selectPage(2);
    auto f = Open();
    Click(*f, "deletePage");  // the last page: the new last one is current
    EXPECT_EQ(entries(*f), (QStringList{"A", "B"}));
    ExpectShows(*f, 1);

    // Deleting the first page: Qt selects a neighbour on its own while the row goes; the page
    // that moved into position 0 must be the one shown.
    library = f->library();
    library.selectPage(0);
    auto g = Open();
    Click(*g, "deletePage");
    EXPECT_EQ(entries(*g), QStringList{"B"});
    ExpectShows(*g, 0);
    EXPECT_EQ(g->titleBox(0)->text(), QStringLiteral("t1"));

    Click(*g, "deletePage");
    EXPECT_EQ(msg.texts(), QStringList{"ページはこれ以上削除できません"});
    EXPECT_EQ(entries(*g), QStringList{"B"});
    ExpectShows(*g, 0);
}

TEST_F(FolderEditorDialogTest, MovesAtTheEndsDoNothingNotEvenAStore) {
    library.selectPage(0);
    auto f = Open();
    f->titleBox(0)->setText(QStringLiteral("unsaved"));
    Click(*f, "movePageUp");
    EXPECT_EQ(Edited().page(0).folderSlots[0].title, QStringLiteral("t0"));
    EXPECT_EQ(entries(*f), (QStringList{"A", "B", "C"}));

    Choose(*f, 2);
    f->titleBox(0)->setText(QStringLiteral("unsaved"));
    Click(*f, "movePageDown");
    EXPECT_EQ(Edited().page(2).folderSlots[0].title, QStringLiteral("t2"));
    EXPECT_EQ(Edited().currentPage(), 2);
    EXPECT_EQ(CurrentRow(*f), 2);
    EXPECT_EQ(f->titleBox(0)->text(), QStringLiteral("unsaved"));
}

TEST_F(FolderEditorDialogTest, MovedPageStaysCurrentAndShown) {
    library.selectPage(2);
    auto f = Open();
    Click(*f, "movePageUp");
    EXPECT_EQ(entries(*f), (QStringList{"A", "C", "B"}));
    ExpectShows(*f, 1);
    EXPECT_EQ(f->titleBox(0)->text(), QStringLiteral("t2"));
    Click(*f, "movePageDown");
    EXPECT_EQ(entries(*f), (QStringList{"A", "B", "C"}));
    ExpectShows(*f, 2);
    Click(*f, "movePageUp");
    Click(*f, "movePageUp");
    EXPECT_EQ(entries(*f), (QStringList{"C", "A", "B"}));
    ExpectShows(*f, 0);
}

TEST_F(FolderEditorDialogTest, RenamingShowsInTheListAtOnceAndIsKeptAcrossPages) {
    auto f = Open();
    f->pageNameBox()->selectAll();
    QTest::keyClicks(f->pageNameBox(), QStringLiteral("Trips"));
    EXPECT_EQ(Entry(*f, 1), QStringLiteral("Trips"));
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("B"));  // stored at the next store
    Choose(*f, 0);
    EXPECT_EQ(Edited().page(1).name, QStringLiteral("Trips"));
    EXPECT_EQ(Entry(*f, 1), QStringLiteral("Trips"));
    EXPECT_EQ(Entry(*f, 0), QStringLiteral("A"));

    f->pageNameBox()->clear();  // an empty name gives an empty entry
    EXPECT_TRUE(Entry(*f, 0).isEmpty());
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

// The window has the edited library saved (MenusTest); the editor itself writes no file.
TEST_F(FolderEditorDialogTest, ClosingStoresTheShownPageAndWritesNothing) {
    auto f = Open();
    f->titleBox(3)->setText(QStringLiteral("Cats"));
    f->folderBox(3)->setText(QStringLiteral("/pics/cats"));
    f->nextNumberBox(3)->setText(QStringLiteral("42"));
    Click(*f, "close");
    EXPECT_EQ(Edited().page(1).folderSlots[3].title, QStringLiteral("Cats"));
    EXPECT_EQ(Edited().page(1).folderSlots[3].folder, QStringLiteral("/pics/cats"));
    EXPECT_EQ(Edited().page(1).folderSlots[3].nextNumber, 42);
    EXPECT_TRUE(QDir(program.file("config")).isEmpty());
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(FolderEditorDialogTest, EscapeClosesAndStoresToo) {
    auto f = Open();
    f->titleBox(0)->setText(QStringLiteral("via escape"));
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_EQ(Edited().page(1).folderSlots[0].title, QStringLiteral("via escape"));
}

}  // namespace
