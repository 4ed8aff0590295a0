#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "FolderLibrary.h"
#include "Form3.h"
#include "ItemConfig.h"

namespace {

TEST(Form3Test, ReportsTheCurrentPageOnceHoweverOftenAsked) {
    FolderLibrary library;
    library.appendPage(QStringLiteral("新規ページ"));
    Form3 f(library);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Form3"));
    EXPECT_EQ(f.Command1()->text(), QStringLiteral("Command1"));
    EXPECT_EQ(f.Text1()->toPlainText(), QStringLiteral("Text1"));
    const QString expected = QStringLiteral("現在のページ(gl_PageNum)：0\r\n現在のページ(gs_PageName)：新規ページ\r\n");
    EXPECT_EQ(Form3::ReportText(library), expected);
    f.Command1()->click();
    f.Command1()->click();
    EXPECT_EQ(f.Text1()->toPlainText().count(QStringLiteral("現在のページ")), 2);

    library.appendPage(QString());
    library.appendPage(QStringLiteral("  spaced  "));
    library.selectPage(2);
    EXPECT_EQ(Form3::ReportText(library),
              QStringLiteral("現在のページ(gl_PageNum)：2\r\n現在のページ(gs_PageName)：spaced\r\n"));
    // Spaces are removed, full-width ones too; a tab stays part of the name.
    library.page(2).name = QStringLiteral("\u3000 旅行\t \u3000");
    EXPECT_EQ(Form3::ReportText(library),
              QStringLiteral("現在のページ(gl_PageNum)：2\r\n現在のページ(gs_PageName)：旅行\t\r\n"));
}

TEST(Form3Test, TextFollowsTheWindowSizeAndNeverGoesNegative) {
    const FolderLibrary library;
    Form3 f(library);
    f.show();
    f.resize(400, 300);
    // 200 and 600 twips less than the outer size.
    EXPECT_EQ(f.Text1()->size(), f.frameGeometry().size() - QSize(13, 40));
    f.resize(5, 5);
    EXPECT_EQ(f.Text1()->width(), 0);
    EXPECT_EQ(f.Text1()->height(), 0);
}

TEST(Form3Test, UnloadAllClosesEveryOpenInspectionWindow) {
    static const FolderLibrary library;
    auto* f = new Form3(library);
    f->setAttribute(Qt::WA_DeleteOnClose);
    f->show();
    QPointer<Form3> alive(f);
    Form3::UnloadAll();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull() || !alive->isVisible());
}

TEST(ItemConfigTest, CaptionIsSetOnLoad) {
    ItemConfig w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("アイテム設定"));
}

}  // namespace
