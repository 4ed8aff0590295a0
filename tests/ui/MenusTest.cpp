#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QComboBox>
#include <QTest>

#include "MainWindowFixture.h"
#include "ui/FolderEditorDialog.h"
#include "ui/PageReportWindow.h"
#include "ui/OptionsDialog.h"

namespace {

class MenusTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        start();
    }

    void trigger(const char* name) {
        QAction* action = window->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    QString overviewPanel() const { return window->overviewPanel()->toPlainText(); }
};

TEST_F(MenusTest, MenuBarHoldsTheTreeWithItsCaptionsAndNames) {
    QStringList tops;
    for (QAction* a : window->menuBar()->actions()) tops << a->text();
    EXPECT_EQ(tops, (QStringList{"ファイル(&F)", "補助機能(&S)", "設定(&O)"}));

    auto items = [this](const char* menu) {
        QStringList out;
        for (QAction* a : window->findChild<QMenu*>(QString::fromLatin1(menu))->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('|') + a->objectName());
        return out;
    };
    EXPECT_EQ(items("support"),
              (QStringList{"操作方法を表示(&P)|showKeys", "割り当てフォルダを表示(&A)|showSlots",
                           "ページを選ぶ(&G)\tG|choosePage", "元に戻す(&U)\tCtrl+Z|undo",
                           "転送履歴(&H)|transferRecord"}));
    EXPECT_EQ(items("settings"), (QStringList{"フォルダ設定(&F)|editFolders", "オプション(&O)|editOptions", "-",
                                               "バージョン情報(&V)|about"}));
    for (QAction* a : window->findChildren<QAction*>()) EXPECT_TRUE(a->shortcut().isEmpty());
}

TEST_F(MenusTest, UsageTextReadsLineForLine) {
    const QString head = QStringLiteral(
        "<< 操作方法 >>\n\nC ... コピーモード\nM ... 移動モード\nL ... 転送・削除のロック\n\n"
        "Space  ... 次ファイル\nShift+Space .. 前ファイル\nBkSpace .. 前ファイル\nDelete ... ファイル削除\n"
        "Ctrl+Z ... 元に戻す\n"
        "Enter  ... 画像枠内伸長\n\n数字キー = 割り当てたフォルダに転送\nCtrl+数字キー = 割り当てたフォルダを開く\n\n");
    const QString tail = QStringLiteral(
        "+ ... 次のページ\n- ... 前のページ\nG ... ページを選ぶ\n\n画像右クリック ... 画像枠内伸長\n画像をドラッグ ... 画像スライド\n\n");
    auto shown = [this] {
        QString t = overviewPanel();
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return t;
    };
    window->options().arrowKeys = ArrowKeys::PagesAndFiles;
    trigger("showKeys");
    EXPECT_EQ(shown(), head +
                           QStringLiteral("方向キー ... 下：次ページ、上：前ページ、左：前ファイル、右：次ファイル\n"
                                          "shift+方向キー ... 画像のスライド(三倍速)\n\n") +
                           tail);
    window->options().arrowKeys = ArrowKeys::Slide;
    trigger("showKeys");
    EXPECT_EQ(shown(), head + QStringLiteral("方向キー ... 画像のスライド(シフトを押しながらだと三倍速)\n\n") + tail);

    trigger("showSlots");
    EXPECT_TRUE(overviewPanel().startsWith(QStringLiteral("<< 新規ページ >>")));
}

TEST_F(MenusTest, VersionBoxNamesTheProgramAndItsVersion) {
    trigger("about");
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("Orvane(Brindlewick)"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
    const QStringList lines = msg.shown[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Orvane ver1.02"));
    EXPECT_FALSE(lines[1].isEmpty());
}

TEST_F(MenusTest, EditorFromTheMenuSavesAndTheOverviewShowsTheNewPage) {
    trigger("showKeys");
    window->runModal = [](QDialog& d) {
        auto& editor = dynamic_cast<FolderEditorDialog&>(d);
        editor.addPageClicked();
        editor.pageNameBox()->setText(QStringLiteral("Holiday"));
        QTest::keyClicks(editor.folderBox(2), QStringLiteral("/srv/pics"));
        QTest::keyClicks(editor.titleBox(2), QStringLiteral("Pics"));
        editor.closeClicked();
    };
    trigger("editFolders");
    EXPECT_EQ(window->library().pageCount(), 2);
    EXPECT_EQ(window->library().currentPage(), 0);
    EXPECT_EQ(window->library().page(0).folderSlots[2].folder, QStringLiteral("/srv/pics"));
    EXPECT_TRUE(overviewPanel().startsWith(QStringLiteral("<< Holiday >>")));
    EXPECT_TRUE(overviewPanel().contains(QStringLiteral("2.Pics")));
    EXPECT_EQ(program.read("config/設定_ページ.ini").count("\r\n"), 2);
    EXPECT_TRUE(program.read("config/設定_フォルダ.ini").contains("/srv/pics"));
    EXPECT_EQ(program.read("config/設定_個別転送.ini").count("\r\n"), 20);

    // A file that cannot be written is named in a message; the others are written.
    QFile::remove(program.file("config/設定_ページ.ini"));
    QFile::remove(program.file("config/設定_フォルダ.ini"));
    ASSERT_TRUE(QDir().mkpath(program.file("config/設定_フォルダ.ini")));
    window->runModal = [](QDialog& d) { d.close(); };
    trigger("editFolders");
    ASSERT_EQ(msg.texts().size(), 1);
    EXPECT_TRUE(msg.texts()[0].startsWith(QStringLiteral("設定ファイルを保存できませんでした。\n") +
                                          program.file("config/設定_フォルダ.ini") + "\n"));
    EXPECT_TRUE(program.exists("config/設定_ページ.ini"));

    // Closing the editor without changes still brings the overview back.
    trigger("showKeys");
    window->runModal = [](QDialog& d) { d.close(); };
    trigger("editFolders");
    EXPECT_TRUE(overviewPanel().startsWith(QStringLiteral("<< Holiday >>")));
}

TEST_F(MenusTest, OptionsFromTheMenuSaveFileZeroAndTheirOwnAndRefreshNothing) {
    window->runModal = [](QDialog& d) {
        auto& options = dynamic_cast<OptionsDialog&>(d);
        options.optionPageChosen(QStringLiteral("interface"));
        options.findChild<QComboBox*>(QStringLiteral("arrowKeys"))->setCurrentIndex(0);
        options.findChild<QCheckBox*>(QStringLiteral("transferLog"))->click();
        options.okClicked();
    };
    window->setGeometry(31, 42, 500, 400);
    trigger("showKeys");
    const QString before = overviewPanel();
    trigger("editOptions");
    EXPECT_EQ(window->options().arrowKeys, ArrowKeys::Slide);
    EXPECT_EQ(overviewPanel(), before);
    const QByteArray file0 = program.read("config/設定_オプション.ini");
    EXPECT_EQ(file0.count("\r\n"), 11);
    EXPECT_TRUE(file0.contains("\"StateWndMain\",31,42,531,442,1\r\n")) << file0.toStdString();
    EXPECT_TRUE(program.read("config/設定_拡張.ini").contains("\"TransferLog\",1\r\n"));

    window->runModal = [](QDialog& d) { dynamic_cast<OptionsDialog&>(d).cancelClicked(); };
    QFile::remove(program.file("config/設定_オプション.ini"));
    trigger("editOptions");
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));
}

TEST_F(MenusTest, ClosingTheMainWindowClosesTheInspectionWindow) {
    PageReportWindow inspection(window->library());
    inspection.show();
    window->close();
    EXPECT_FALSE(inspection.isVisible());
}

}  // namespace
