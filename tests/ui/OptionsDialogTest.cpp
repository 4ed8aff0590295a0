#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "LineBreakGuard.h"
#include "NamePart.h"
#include "OptionsDialog.h"

namespace {

class OptionsDialogTest : public DialogTest {
protected:
    std::unique_ptr<OptionsDialog> Open() {
        auto dialog = std::make_unique<OptionsDialog>(services, options, library);
        opened_ = dialog.get();
        return dialog;
    }
    // What the dialog opened last hands back.
    const Options& Chosen() const { return opened_->options(); }
    const FolderLibrary& Edited() const { return opened_->library(); }
    static QStringList Items(QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
        return out;
    }
    // Chooses entry `index` as the user does.
    static void Pick(QComboBox* c, int index) { c->setCurrentIndex(index); }
    static QTreeWidgetItem* Node(OptionsDialog& w, int i) { return w.pageTree()->topLevelItem(i); }

private:
    OptionsDialog* opened_ = nullptr;
};

TEST_F(OptionsDialogTest, OpensOnTheTransferPageWithTheListedLayout) {
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("オプション"));
    EXPECT_EQ(w->size(), QSize(416, 271));
    ASSERT_EQ(w->pageTree()->topLevelItemCount(), 3);
    EXPECT_EQ(Node(*w, 0)->text(0), QStringLiteral("転送処理"));
    EXPECT_EQ(Node(*w, 1)->text(0), QStringLiteral("削除処理"));
    EXPECT_EQ(Node(*w, 2)->text(0), QStringLiteral("操作"));
    EXPECT_EQ(w->pageTree()->currentItem(), Node(*w, 0));
    EXPECT_EQ(w->pageTree()->geometry(), QRect(8, 8, 137, 241));
    EXPECT_EQ(w->okButton()->text(), QStringLiteral("決定"));
    EXPECT_EQ(w->cancelButton()->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(w->okButton()->geometry(), QRect(256, 240, 73, 25));
    EXPECT_EQ(w->cancelButton()->geometry(), QRect(336, 240, 73, 25));

    EXPECT_EQ(w->currentPageKey(), QStringLiteral("update"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("転送処理設定"));
    EXPECT_EQ(w->pageHeading()->geometry().topLeft(), QPoint(160, 8));
    EXPECT_EQ(w->caption(0)->text(), QStringLiteral("同名ファイルの処理"));
    EXPECT_EQ(w->caption(1)->text(), QStringLiteral("連番転送設定(個別連番転送を含む)"));
    EXPECT_EQ(w->caption(2)->text(), QStringLiteral("接続文字："));
    EXPECT_TRUE(w->caption(2)->alignment() & Qt::AlignRight);
    EXPECT_EQ(w->caption(3)->text(), QStringLiteral("0の桁数："));
    EXPECT_EQ(w->caption(4)->text(), QStringLiteral("連番開始番号："));
    EXPECT_EQ(w->continueNumbersBox()->text(), QStringLiteral("個別連番転送の最後の番号を記憶"));
    EXPECT_EQ(w->collisionModeBox()->geometry().topLeft(), QPoint(168, 58));
    // At least the designed width; wider only as far as the longest entry needs.
    EXPECT_GE(w->collisionModeBox()->width(), 225);
    EXPECT_LE(w->collisionModeBox()->geometry().right(), 416 - 8);
    EXPECT_EQ(w->connectorBox()->geometry().topLeft(), QPoint(260, 120));
    EXPECT_EQ(w->connectorBox()->width(), 40);
    EXPECT_EQ(w->firstNumberBox()->geometry().topLeft(), QPoint(260, 170));
    EXPECT_EQ(w->continueNumbersBox()->geometry().topLeft(), QPoint(178, 198));
    EXPECT_TRUE(w->caption(5)->isHidden());

    EXPECT_EQ(Items(w->collisionModeBox()), (QStringList{"上書きの問い合わせダイアログを表示", "強制的に上書き",
                                                "末尾に連番を付けて保存"}));
    EXPECT_EQ(Items(w->numberDigitsBox()), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(Items(w->firstNumberBox()), (QStringList{"0", "1", "2"}));
    EXPECT_EQ(w->numberDigitsBox()->currentIndex(), 2);  // defaults: three digits, start at 1
    EXPECT_EQ(w->firstNumberBox()->currentIndex(), 1);
    EXPECT_EQ(w->connectorBox()->text(), QStringLiteral("_"));
    EXPECT_FALSE(w->continueNumbersBox()->isChecked());
}

TEST_F(OptionsDialogTest, EachPageBuildsItsOwnMembersOfThePool) {
    options.confirmDelete = 1;
    options.arrowKeyMode = 0;
    auto w = Open();
    w->optionPageChosen(QStringLiteral("delete"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("削除処理設定"));
    EXPECT_EQ(w->caption(1)->text(), QStringLiteral("削除警告"));
    EXPECT_EQ(w->confirmDeleteBox()->geometry().topLeft(), QPoint(168, 108));
    EXPECT_EQ(Items(w->deleteModeBox()), (QStringList{"ごみ箱の設定に準拠", "直接削除"}));
    EXPECT_EQ(Items(w->confirmDeleteBox()), (QStringList{"なし", "あり"}));
    EXPECT_EQ(w->confirmDeleteBox()->currentIndex(), 1);
    EXPECT_TRUE(w->connectorBox()->isHidden());
    EXPECT_TRUE(w->continueNumbersBox()->isHidden());
    EXPECT_TRUE(w->firstNumberBox()->isHidden());

    w->optionPageChosen(QStringLiteral("interface"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("操作設定"));
    EXPECT_EQ(w->caption(0)->text(), QStringLiteral("カーソルキーの設定"));
    EXPECT_EQ(Items(w->arrowKeysBox()), (QStringList{"画像のスライド", "↑↓：グループ移動、←→：画像選択"}));
    EXPECT_EQ(w->arrowKeysBox()->currentIndex(), 0);
    EXPECT_TRUE(w->confirmDeleteBox()->isHidden());

    w->optionPageChosen(QStringLiteral("elsewhere"));
    EXPECT_EQ(w->currentPageKey(), QStringLiteral("interface"));
}

TEST_F(OptionsDialogTest, EditsSurvivePageSwitchesAndTheSameNodeStoresItsPage) {
    auto w = Open();
    Pick(w->collisionModeBox(), 2);
    Pick(w->numberDigitsBox(), 5);
    emit w->pageTree()->itemClicked(Node(*w, 0), 0);  // a click on the node on display
    EXPECT_EQ(w->workingOptions().collisionMode, 2);
    EXPECT_EQ(w->workingOptions().numberDigitsChoice, 5);  // "6" digits
    EXPECT_EQ(w->collisionModeBox()->currentIndex(), 2);

    w->optionPageChosen(QStringLiteral("delete"));
    Pick(w->deleteModeBox(), 1);
    w->optionPageChosen(QStringLiteral("update"));
    EXPECT_EQ(w->collisionModeBox()->currentIndex(), 2);
    EXPECT_EQ(w->numberDigitsBox()->currentIndex(), 5);
    EXPECT_EQ(Chosen().collisionMode, 0);  // only the working copy so far

    Click(*w, "ok");
    EXPECT_EQ(Chosen().collisionMode, 2);
    EXPECT_EQ(Chosen().numberDigitsChoice, 5);
    EXPECT_EQ(Chosen().deleteMode, 1);
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(OptionsDialogTest, CancelChangesNothing) {
    library.page(0).folderSlots[3].nextNumber = 2;
    auto w = Open();
    Pick(w->firstNumberBox(), 0);
    w->continueNumbersBox()->click();
    w->connectorBox()->setText(QStringLiteral("-"));
    w->optionPageChosen(QStringLiteral("delete"));
    Pick(w->deleteModeBox(), 1);
    Click(*w, "cancel");
    EXPECT_EQ(Chosen().firstNumber, 1);
    EXPECT_EQ(Chosen().continueNumbers, 0);
    EXPECT_EQ(Chosen().connector, QStringLiteral("_"));
    EXPECT_EQ(Chosen().deleteMode, 0);
    EXPECT_EQ(Edited().page(0).folderSlots[3].nextNumber, 2);
    EXPECT_EQ(w->result(), QDialog::Rejected);
}

TEST_F(OptionsDialogTest, OwnSwitchesAreOffAndTheirTextsToggleThem) {
    auto w = Open();
    w->optionPageChosen(QStringLiteral("interface"));
    ASSERT_TRUE(w->extraFormatsBox()->isVisibleTo(w.get()));
    EXPECT_FALSE(w->extraFormatsBox()->isChecked());
    EXPECT_FALSE(w->transferLogBox()->isChecked());
    // A click on the wrapped text toggles the box beside it.
    auto* text = w->findChild<QLabel*>(QStringLiteral("extraFormatsText"));
    ASSERT_TRUE(text);
    EXPECT_LE(text->geometry().right(), 416 - 8);
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_TRUE(w->extraFormatsBox()->isChecked());
    w->optionPageChosen(QStringLiteral("update"));
    EXPECT_FALSE(w->extraFormatsBox()->isVisibleTo(w.get()));
    Click(*w, "ok");
    EXPECT_TRUE(Chosen().extraFormats);
    EXPECT_FALSE(Chosen().transferLog);
}

TEST_F(OptionsDialogTest, CompanionsSwitchSitsBelowTheOthersAboveTheButtons) {
    auto w = Open();
    w->optionPageChosen(QStringLiteral("interface"));
    auto* text = w->findChild<QLabel*>(QStringLiteral("companionsText"));
    ASSERT_TRUE(text && text->isVisibleTo(w.get()));
    EXPECT_GE(text->geometry().top(), w->findChild<QLabel*>(QStringLiteral("transferLogText"))->geometry().bottom());
    EXPECT_LT(text->geometry().bottom(), w->findChild<QPushButton*>(QStringLiteral("ok"))->geometry().top());
    QTest::mouseClick(text, Qt::LeftButton);
    Click(*w, "ok");
    EXPECT_TRUE(Chosen().companions);
}

// The rule itself is adjustNextNumbers's (NextNumbersTest); "決定" applies it with the new
// options, "キャンセル" does not (CancelChangesNothing).
TEST_F(OptionsDialogTest, OkAdjustsTheNextNumbersToTheNewOptions) {
    options.continueNumbers = 1;
    library.page(0).folderSlots[1].nextNumber = 3;
    auto w = Open();
    EXPECT_TRUE(w->continueNumbersBox()->isChecked());
    Pick(w->firstNumberBox(), 0);
    Click(*w, "ok");
    EXPECT_EQ(Edited().page(2).folderSlots[9].nextNumber, 0);
    EXPECT_EQ(Edited().page(0).folderSlots[1].nextNumber, 3);
}

TEST_F(OptionsDialogTest, ValuesOutsideTheListsShowNoEntryAndSurvive) {
    options.deleteMode = 5;
    options.numberDigitsChoice = 9;
    options.continueNumbers = 2;
    auto w = Open();
    EXPECT_EQ(w->numberDigitsBox()->currentIndex(), -1);
    EXPECT_EQ(w->continueNumbersBox()->checkState(), Qt::PartiallyChecked);
    w->optionPageChosen(QStringLiteral("delete"));
    EXPECT_EQ(w->deleteModeBox()->currentIndex(), -1);
    w->optionPageChosen(QStringLiteral("update"));
    w->okClicked();
    EXPECT_EQ(Chosen().deleteMode, 5);
    EXPECT_EQ(Chosen().numberDigitsChoice, 9);
    EXPECT_EQ(Chosen().continueNumbers, 2);

    // Picking an entry replaces the odd value.
    options = Chosen();
    auto v = Open();
    v->continueNumbersBox()->click();
    EXPECT_EQ(v->continueNumbersBox()->checkState(), Qt::Checked);
    v->optionPageChosen(QStringLiteral("delete"));
    Pick(v->deleteModeBox(), 0);
    v->okClicked();
    EXPECT_EQ(Chosen().deleteMode, 0);
    EXPECT_EQ(Chosen().continueNumbers, 1);
}

TEST_F(OptionsDialogTest, ConnectorTextIsTakenAsTypedButNeverWithALineBreak) {
    auto w = Open();
    w->connectorBox()->clear();
    QTest::keyClicks(w->connectorBox(), QStringLiteral("*?"));
    w->connectorBox()->insert(QStringLiteral("\n"));
    EXPECT_EQ(msg.texts(), QStringList{LineBreakGuard::message()});
    w->okClicked();
    EXPECT_EQ(Chosen().connector, QStringLiteral("*?"));
}

// A double quote cannot be kept in the quoted field; a "/", or a connector that is "." or "..",
// would lead out of a slot's folder. Each is refused as typed and the text stays as it was,
// the first edit after the page was built too.
TEST_F(OptionsDialogTest, ConnectorRefusesQuotesSlashesAndDots) {
    auto w = Open();
    QLineEdit* box = w->connectorBox();
    QTest::keyClicks(box, QStringLiteral("\"/"));
    EXPECT_EQ(box->text(), QStringLiteral("_"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Period);
    EXPECT_EQ(box->text(), QStringLiteral("_"));
    EXPECT_EQ(msg.texts(), (QStringList{NamePart::refusal("\""), NamePart::refusal("/"), NamePart::refusal(".")}));
    w->okClicked();
    EXPECT_EQ(Chosen().connector, QStringLiteral("_"));
}

}  // namespace
