// The menus 補助機能 and 設定: the usage text, the page overview, the two settings windows and
// the version box.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "Form1.h"
#include "Form2.h"
#include "OptionFiles.h"
#include "MsgBox.h"
#include "OptionWnd.h"

namespace {

QAction* AddItem(QMenu* menu, const QString& caption, const QString& name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

void Form1::BuildSupportMenus() {
    QMenu* support = menuBar()->addMenu(QStringLiteral("補助機能(&S)"));
    support->setObjectName(QStringLiteral("m_support"));
    connect(AddItem(support, QStringLiteral("操作方法を表示(&P)"), QStringLiteral("m_usage")),
            &QAction::triggered, this, &Form1::m_usage);
    connect(AddItem(support, QStringLiteral("割り当てフォルダを表示(&A)"), QStringLiteral("m_assaign")),
            &QAction::triggered, this, &Form1::m_assaign);

    QMenu* setting = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    setting->setObjectName(QStringLiteral("m_setting"));
    connect(AddItem(setting, QStringLiteral("フォルダ設定(&F)"), QStringLiteral("m_SetFolder")),
            &QAction::triggered, this, &Form1::m_SetFolder);
    connect(AddItem(setting, QStringLiteral("オプション(&O)"), QStringLiteral("m_Option")),
            &QAction::triggered, this, &Form1::m_Option);
    setting->addSeparator()->setObjectName(QStringLiteral("m_separate2"));
    connect(AddItem(setting, QStringLiteral("バージョン情報(&V)"), QStringLiteral("m_version")),
            &QAction::triggered, this, &Form1::m_version);
}

void Form1::m_usage() {
    const QString br = QStringLiteral("\r\n");
    QString text = QStringLiteral("<< 操作方法 >>") + br + br +
                   QStringLiteral("C ... コピーモード") + br +
                   QStringLiteral("M ... 移動モード") + br +
                   QStringLiteral("L ... 転送・削除のロック") + br + br +
                   QStringLiteral("Space  ... 次ファイル") + br +
                   QStringLiteral("Shift+Space .. 前ファイル") + br +
                   QStringLiteral("BkSpace .. 前ファイル") + br +
                   QStringLiteral("Delete ... ファイル削除") + br +
                   QStringLiteral("Enter  ... 画像枠内伸長") + br + br +
                   QStringLiteral("数字キー = 割り当てたフォルダに転送") + br +
                   QStringLiteral("Ctrl+数字キー = 割り当てたフォルダを開く") + br + br;
    if (options().arrowKeyMode == 1)
        text += QStringLiteral("方向キー ... 下：次ページ、上：前ページ、左：前ファイル、右：次ファイル") + br +
                QStringLiteral("shift+方向キー ... 画像のスライド(三倍速)") + br + br;
    else
        text += QStringLiteral("方向キー ... 画像のスライド(シフトを押しながらだと三倍速)") + br + br;
    text += QStringLiteral("+ ... 次のページ") + br +
            QStringLiteral("- ... 前のページ") + br + br +
            QStringLiteral("画像右クリック ... 画像枠内伸長") + br +
            QStringLiteral("画像をドラッグ ... 画像スライド") + br + br;
    text1_->setPlainText(text);
}

void Form1::m_assaign() {
    ShowPageOverview();
}

void Form1::m_SetFolder() {
    {
        Form2 editor(services_, programDir_, library(), options(), this);
        if (RunModal)
            RunModal(editor);
        else
            editor.exec();
        // The editor has no cancel: what it stored is the library from now on.
        library() = editor.library();
    }
    // Page names, slot titles and the current page may all have changed.
    ShowPageOverview();
}

void Form1::m_Option() {
    OptionWnd dialog(services_, programDir_, options(), library(), [this] { return CurrentPlacement(); },
                     this);
    if (RunModal)
        RunModal(dialog);
    else
        dialog.exec();
    if (dialog.result() == QDialog::Accepted) {
        options() = dialog.options();
        library() = dialog.library();
    }
    // Nothing is refreshed: each option takes effect where it is next read.
}

void Form1::m_version() {
    services_.msgBox->Show(QStringLiteral("Orvane ver1.02\n"
                                          "(C) Brindlewick  キーボードで画像を振り分けるツール"),
                           QStringLiteral("Orvane(Brindlewick)"), MsgButtons::Ok);
}
