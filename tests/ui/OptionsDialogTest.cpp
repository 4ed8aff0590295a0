#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "ui/LineBreakGuard.h"
#include "core/NamePart.h"
#include "ui/OptionsDialog.h"

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
    // The dialog's widget of that object name.
    template <typename T = QWidget>
    T* Find(const char* name) const {
        T* widget = opened_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QComboBox* List(const char* name) const { return Find<QComboBox>(name); }
    QCheckBox* Switch(const char* name) const { return Find<QCheckBox>(name); }
    QString Caption(const char* name) const { return Find<QLabel>(name)->text(); }
    // Where the widget lies in the dialog, and whether it is on the page shown.
    QPoint At(const char* name) const { return Find(name)->mapTo(opened_, QPoint(0, 0)); }
    bool Shown(const char* name) const { return Find(name)->isVisibleTo(opened_); }
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
    EXPECT_EQ(Find<QPushButton>("ok")->text(), QStringLiteral("決定"));
    EXPECT_EQ(Find<QPushButton>("cancel")->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(Find("ok")->geometry(), QRect(256, 240, 73, 25));
    EXPECT_EQ(Find("cancel")->geometry(), QRect(336, 240, 73, 25));

    EXPECT_EQ(w->currentPageKey(), QStringLiteral("update"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("転送処理設定"));
    EXPECT_EQ(w->pageHeading()->geometry().topLeft(), QPoint(160, 8));
    EXPECT_EQ(Caption("collisionModeCaption"), QStringLiteral("同名ファイルの処理"));
    EXPECT_EQ(Caption("sequenceCaption"), QStringLiteral("連番転送設定(個別連番転送を含む)"));
    EXPECT_EQ(Caption("connectorCaption"), QStringLiteral("接続文字："));
    EXPECT_TRUE(Find<QLabel>("connectorCaption")->alignment() & Qt::AlignRight);
    EXPECT_EQ(Caption("numberDigitsCaption"), QStringLiteral("0の桁数："));
    EXPECT_EQ(Caption("firstNumberCaption"), QStringLiteral("連番開始番号："));
    EXPECT_EQ(Switch("continueNumbers")->text(), QStringLiteral("個別連番転送の最後の番号を記憶"));
    EXPECT_EQ(At("collisionMode"), QPoint(168, 58));
    // At least the designed width; wider only as far as the longest entry needs.
    EXPECT_GE(List("collisionMode")->width(), 225);
    EXPECT_LE(At("collisionMode").x() + List("collisionMode")->width(), 416 - 8);
    EXPECT_EQ(At("connector"), QPoint(260, 120));
    EXPECT_EQ(Find("connector")->width(), 40);
    EXPECT_EQ(At("numberDigits"), QPoint(260, 145));
    EXPECT_EQ(At("firstNumber"), QPoint(260, 170));
    EXPECT_EQ(At("continueNumbers"), QPoint(178, 198));

    EXPECT_EQ(Items(List("collisionMode")), (QStringList{"上書きの問い合わせダイアログを表示", "強制的に上書き",
                                                      "末尾に連番を付けて保存"}));
    EXPECT_EQ(Items(List("numberDigits")), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(Items(List("firstNumber")), (QStringList{"0", "1", "2"}));
    EXPECT_EQ(List("numberDigits")->currentIndex(), 2);  // defaults: three digits, start at 1
    EXPECT_EQ(List("firstNumber")->currentIndex(), 1);
    EXPECT_EQ(Find<QLineEdit>("connector")->text(), QStringLiteral("_"));
    EXPECT_FALSE(Switch("continueNumbers")->isChecked());
}

TEST_F(OptionsDialogTest, EachPageShowsItsOwnOptions) {
    options.confirmDelete = true;
    options.arrowKeys = ArrowKeys::Slide;
    auto w = Open();
    w->optionPageChosen(QStringLiteral("delete"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("削除処理設定"));
    EXPECT_EQ(Caption("deleteModeCaption"), QStringLiteral("削除時の動作"));
    EXPECT_EQ(Caption("confirmDeleteCaption"), QStringLiteral("削除警告"));
    EXPECT_EQ(At("deleteMode"), QPoint(168, 58));
    EXPECT_EQ(At("confirmDelete"), QPoint(168, 108));
    EXPECT_EQ(Items(List("deleteMode")), (QStringList{"ごみ箱の設定に準拠", "直接削除"}));
    EXPECT_EQ(Items(List("confirmDelete")), (QStringList{"なし", "あり"}));
    EXPECT_EQ(List("confirmDelete")->currentIndex(), 1);
    EXPECT_TRUE(Shown("confirmDelete"));
    EXPECT_FALSE(Shown("connector"));

    w->optionPageChosen(QStringLiteral("interface"));
    EXPECT_EQ(w->pageHeading()->text(), QStringLiteral("操作設定"));
    EXPECT_EQ(Caption("arrowKeysCaption"), QStringLiteral("カーソルキーの設定"));
    EXPECT_EQ(Items(List("arrowKeys")), (QStringList{"画像のスライド", "↑↓：グループ移動、←→：画像選択"}));
    EXPECT_EQ(List("arrowKeys")->currentIndex(), 0);
    EXPECT_FALSE(Shown("confirmDelete"));

    w->optionPageChosen(QStringLiteral("elsewhere"));
    EXPECT_EQ(w->currentPageKey(), QStringLiteral("interface"));
    EXPECT_TRUE(Shown("arrowKeys"));
}

TEST_F(OptionsDialogTest, OkTakesTheEditsOfEveryPage) {
    auto w = Open();
    Pick(List("collisionMode"), 2);
    Pick(List("numberDigits"), 5);
    w->optionPageChosen(QStringLiteral("delete"));
    Pick(List("deleteMode"), 1);
    Pick(List("confirmDelete"), 1);
    w->optionPageChosen(QStringLiteral("interface"));
    Pick(List("arrowKeys"), 0);
    EXPECT_EQ(Chosen().collisionMode, CollisionMode::Ask);  // nothing taken before "決定"

    Click(*w, "ok");
    EXPECT_EQ(Chosen().collisionMode, CollisionMode::Number);
    EXPECT_EQ(Chosen().numberDigits, 6);
    EXPECT_EQ(Chosen().deleteMode, DeleteMode::Directly);
    EXPECT_TRUE(Chosen().confirmDelete);
    EXPECT_EQ(Chosen().arrowKeys, ArrowKeys::Slide);
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(OptionsDialogTest, CancelChangesNothing) {
    library.page(0).folderSlots[3].nextNumber = 2;
    auto w = Open();
    Pick(List("firstNumber"), 0);
    Switch("continueNumbers")->click();
    Find<QLineEdit>("connector")->setText(QStringLiteral("-"));
    w->optionPageChosen(QStringLiteral("delete"));
    Pick(List("deleteMode"), 1);
    Click(*w, "cancel");
    EXPECT_EQ(Chosen().firstNumber, 1);
    EXPECT_FALSE(Chosen().continueNumbers);
    EXPECT_EQ(Chosen().connector, QStringLiteral("_"));
    EXPECT_EQ(Chosen().deleteMode, DeleteMode::ToTrash);
    EXPECT_EQ(Edited().page(0).folderSlots[3].nextNumber, 2);
    EXPECT_EQ(w->result(), QDialog::Rejected);
}

TEST_F(OptionsDialogTest, OwnSwitchesAreOffAndTheirTextsToggleThem) {
    auto w = Open();
    w->optionPageChosen(QStringLiteral("interface"));
    ASSERT_TRUE(Shown("extraFormats"));
    EXPECT_FALSE(Switch("extraFormats")->isChecked());
    EXPECT_FALSE(Switch("transferLog")->isChecked());
    // A click on the wrapped text toggles the box beside it.
    auto* text = Find<QLabel>("extraFormatsText");
    EXPECT_LE(text->mapTo(w.get(), QPoint(text->width(), 0)).x(), 416 - 8);
    QTest::mouseClick(text, Qt::LeftButton);
    EXPECT_TRUE(Switch("extraFormats")->isChecked());
    w->optionPageChosen(QStringLiteral("update"));
    EXPECT_FALSE(Shown("extraFormats"));
    Click(*w, "ok");
    EXPECT_TRUE(Chosen().extraFormats);
    EXPECT_FALSE(Chosen().transferLog);
}

TEST_F(OptionsDialogTest, CompanionsSwitchSitsBelowTheOthersAboveTheButtons) {
    auto w = Open();
    w->optionPageChosen(QStringLiteral("interface"));
    auto* text = Find<QLabel>("companionsText");
    ASSERT_TRUE(Shown("companionsText"));
    const int top = At("companionsText").y();
    EXPECT_GE(top, At("transferLogText").y() + Find("transferLogText")->height());
    EXPECT_LT(top + text->height(), Find("ok")->geometry().top());
    QTest::mouseClick(text, Qt::LeftButton);
    Click(*w, "ok");
    EXPECT_TRUE(Chosen().companions);
}

// The rule itself is adjustNextNumbers's (NextNumbersTest); "決定" applies it with the new
// options, "キャンセル" does not (CancelChangesNothing).
TEST_F(OptionsDialogTest, OkAdjustsTheNextNumbersToTheNewOptions) {
    options.continueNumbers = true;
    library.page(0).folderSlots[1].nextNumber = 3;
    auto w = Open();
    EXPECT_TRUE(Switch("continueNumbers")->isChecked());
    Pick(List("firstNumber"), 0);
    Click(*w, "ok");
    EXPECT_EQ(Edited().page(2).folderSlots[9].nextNumber, 0);
    EXPECT_EQ(Edited().page(0).folderSlots[1].nextNumber, 3);
}

// A hand-edited file may hold a mode or a number no entry stands for: its list shows none
// and the value stays unless the user picks an entry.
TEST_F(OptionsDialogTest, ValuesOutsideTheListsShowNoEntryAndSurvive) {
    options.collisionMode = CollisionMode::Unsupported;
    options.numberDigits = 10;
    options.arrowKeys = ArrowKeys::Unassigned;
    auto w = Open();
    EXPECT_EQ(List("collisionMode")->currentIndex(), -1);
    EXPECT_EQ(List("numberDigits")->currentIndex(), -1);
    EXPECT_EQ(List("arrowKeys")->currentIndex(), -1);
    w->okClicked();
    EXPECT_EQ(Chosen().collisionMode, CollisionMode::Unsupported);
    EXPECT_EQ(Chosen().numberDigits, 10);
    EXPECT_EQ(Chosen().arrowKeys, ArrowKeys::Unassigned);

    options = Chosen();
    auto v = Open();
    Pick(List("collisionMode"), 1);
    Pick(List("numberDigits"), 0);
    Click(*v, "ok");
    EXPECT_EQ(Chosen().collisionMode, CollisionMode::Replace);
    EXPECT_EQ(Chosen().numberDigits, 1);
}

TEST_F(OptionsDialogTest, ConnectorTextIsTakenAsTypedButNeverWithALineBreak) {
    auto w = Open();
    auto* box = Find<QLineEdit>("connector");
    box->clear();
    QTest::keyClicks(box, QStringLiteral("*?"));
    box->insert(QStringLiteral("\n"));
    EXPECT_EQ(msg.texts(), QStringList{LineBreakGuard::message()});
    w->okClicked();
    EXPECT_EQ(Chosen().connector, QStringLiteral("*?"));
}

// A double quote cannot be kept in the quoted field; a "/", or a connector that is "." or "..",
// would lead out of a slot's folder. Each is refused as typed and the text stays as it was,
// the first edit after the page was built too.
TEST_F(OptionsDialogTest, ConnectorRefusesQuotesSlashesAndDots) {
    auto w = Open();
    QLineEdit* box = Find<QLineEdit>("connector");
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
