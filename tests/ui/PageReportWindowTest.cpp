#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/FolderLibrary.h"
#include "ui/PageReportWindow.h"
#include "ui/PageReportItem.h"

namespace {

TEST(PageReportWindowTest, ReportsTheCurrentPageOnceHoweverOftenAsked) {
    FolderLibrary library;
    library.appendPage(QStringLiteral("新規ページ"));
    PageReportWindow f(library);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Form3"));
    EXPECT_EQ(f.reportButton()->text(), QStringLiteral("Command1"));
    EXPECT_EQ(f.reportText()->toPlainText(), QStringLiteral("Text1"));
    EXPECT_EQ(PageReportItem().windowTitle(), QStringLiteral("アイテム設定"));
    const QString expected = QStringLiteral("現在のページ(gl_PageNum)：0\r\n現在のページ(gs_PageName)：新規ページ\r\n");
    EXPECT_EQ(PageReportWindow::reportText(library), expected);
    f.reportButton()->click();
    f.reportButton()->click();
    EXPECT_EQ(f.reportText()->toPlainText().count(QStringLiteral("現在のページ")), 2);

    library.appendPage(QString());
    library.appendPage(QStringLiteral("  spaced  "));
    library.selectPage(2);
    EXPECT_EQ(PageReportWindow::reportText(library),
              QStringLiteral("現在のページ(gl_PageNum)：2\r\n現在のページ(gs_PageName)：spaced\r\n"));
    // Spaces are removed, full-width ones too; a tab stays part of the name.
    library.page(2).name = QStringLiteral("\u3000 旅行\t \u3000");
    EXPECT_EQ(PageReportWindow::reportText(library),
              QStringLiteral("現在のページ(gl_PageNum)：2\r\n現在のページ(gs_PageName)：旅行\t\r\n"));
}

TEST(PageReportWindowTest, TextFollowsTheWindowSizeAndNeverGoesNegative) {
    const FolderLibrary library;
    PageReportWindow f(library);
    f.show();
    f.resize(400, 300);
    // 200 and 600 twips less than the outer size.
    EXPECT_EQ(f.reportText()->size(), f.frameGeometry().size() - QSize(13, 40));
    f.resize(5, 5);
    EXPECT_EQ(f.reportText()->width(), 0);
    EXPECT_EQ(f.reportText()->height(), 0);
}

TEST(PageReportWindowTest, UnloadAllClosesEveryOpenInspectionWindow) {
    static const FolderLibrary library;
    auto* f = new PageReportWindow(library);
    f->setAttribute(Qt::WA_DeleteOnClose);
    f->show();
    QPointer<PageReportWindow> alive(f);
    PageReportWindow::closeAll();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull() || !alive->isVisible());
}

}  // namespace
