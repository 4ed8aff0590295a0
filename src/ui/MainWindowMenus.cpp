// The menus 補助機能 and 設定: the usage text, the page overview, the two settings windows and
// the version box.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/MainWindow.h"
#include "ui/Commands.h"
#include "ui/KeyTable.h"
#include "ui/FolderEditorDialog.h"
#include "ui/LibraryMessages.h"
#include "platform/MsgBox.h"
#include "ui/OptionsDialog.h"
#include "ui/PageChooser.h"
#include "ui/WindowPlacing.h"

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QString& name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

// An item of a command that has a key: it shows the key the key table gives the command. The
// key is shown, not bound: the key router runs it (on release, like the other one-shot commands).
QAction* addCommandItem(QMenu* menu, const QString& caption, const QString& name, Command command) {
    return addItem(menu, caption + QLatin1Char('\t') + menuKeyOf(command), name);
}

}  // namespace

void MainWindow::buildSupportMenus() {
    QMenu* support = menuBar()->addMenu(QStringLiteral("補助機能(&S)"));
    support->setObjectName(QStringLiteral("support"));
    connect(addItem(support, QStringLiteral("操作方法を表示(&P)"), QStringLiteral("showKeys")),
            &QAction::triggered, this, &MainWindow::showKeys);
    connect(addItem(support, QStringLiteral("割り当てフォルダを表示(&A)"), QStringLiteral("showSlots")),
            &QAction::triggered, this, &MainWindow::showSlots);
    connect(addCommandItem(support, QStringLiteral("ページを選ぶ(&G)"), QStringLiteral("choosePage"),
                           Command::ChoosePage),
            &QAction::triggered, this, [this] { runCommand(Command::ChoosePage); });
    connect(addCommandItem(support, QStringLiteral("元に戻す(&U)"), QStringLiteral("undo"), Command::Undo),
            &QAction::triggered, this, [this] { runCommand(Command::Undo); });
    connect(addItem(support, QStringLiteral("転送履歴(&H)"), QStringLiteral("transferRecord")),
            &QAction::triggered, this, &MainWindow::showTransferRecord);

    QMenu* setting = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    setting->setObjectName(QStringLiteral("settings"));
    connect(addItem(setting, QStringLiteral("フォルダ設定(&F)"), QStringLiteral("editFolders")),
            &QAction::triggered, this, &MainWindow::editFolders);
    connect(addItem(setting, QStringLiteral("オプション(&O)"), QStringLiteral("editOptions")),
            &QAction::triggered, this, &MainWindow::editOptions);
    setting->addSeparator()->setObjectName(QStringLiteral("settingsSeparator"));
    connect(addItem(setting, QStringLiteral("バージョン情報(&V)"), QStringLiteral("about")),
            &QAction::triggered, this, &MainWindow::about);
}

void MainWindow::showKeys() {
    const QStringList lines = QStringList{QStringLiteral("<< 操作方法 >>"), QString()} +
                              usageKeyLines(options().arrowKeys) +
                              QStringList{QStringLiteral("画像右クリック ... 画像枠内伸長"),
                                          QStringLiteral("画像をドラッグ ... 画像スライド"), QString()};
    const QString br = QStringLiteral("\r\n");
    overviewPanel_->setPlainText(lines.join(br) + br);
    overviewShown_ = false;
}

void MainWindow::showSlots() {
    showOverview();
}

void MainWindow::choosePage() {
    PageChooser chooser(library(), this);
    if (runModal)
        runModal(chooser);
    else
        chooser.exec();
    if (chooser.result() == QDialog::Accepted) session_.goToPage(chooser.chosenPage());
}

void MainWindow::editFolders() {
    {
        FolderEditorDialog editor(services_, library(), options(), this);
        if (runModal)
            runModal(editor);
        else
            editor.exec();
        // The editor has no cancel: what it stored is the library from now on.
        library() = editor.library();
    }
    reportSaveFailures(*services_.msgBox, settings_.saveLibrary(library()));
    // Page names, slot titles and the current page may all have changed.
    showOverview();
}

void MainWindow::editOptions() {
    OptionsDialog dialog(services_, options(), library(), this);
    if (runModal)
        runModal(dialog);
    else
        dialog.exec();
    if (dialog.result() == QDialog::Accepted) {
        const bool listedBefore = options().extraFormats;
        const bool companionsBefore = options().companions;
        options() = dialog.options();
        library() = dialog.library();
        reportSaveFailures(*services_.msgBox, settings_.saveOptions(options(), library().currentPage(),
                                                                    WindowPlacing::placementOf(*this)));
        // What is listed changed: the open folder shows it at once, as a user turning the
        // switch expects, and the shown picture stays when it is still listed. The companions'
        // names come from the same listing.
        if (options().extraFormats != listedBefore || options().companions != companionsBefore) {
            folders_.relist();
            updateStatusText();
        }
    }
    // Nothing else is refreshed: each other option takes effect where it is next read.
}

void MainWindow::about() {
    services_.msgBox->ask(QStringLiteral("Orvane ver1.02\n"
                                          "(C) Brindlewick  キーボードで画像を振り分けるツール"),
                           QStringLiteral("Orvane(Brindlewick)"), MsgButtons::Ok);
}
