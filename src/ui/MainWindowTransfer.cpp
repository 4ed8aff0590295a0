// Sending the shown file to a slot's folder, and deleting it: the session's commands, asked
// through message boxes, the outcome shown from its result.
#include "desktop/DesktopFolders.h"
#include "ui/MainWindow.h"
#include "platform/MsgBox.h"
#include "ui/QuestionBoxes.h"
#include "core/TransferMessages.h"
#include "ui/TransferRecordWindow.h"

void MainWindow::sendToSlot(int slot) {
    QuestionBoxes questions(*services_.msgBox);
    session_.sendToSlot(slot, questions);
}

void MainWindow::deleteShown() {
    QuestionBoxes questions(*services_.msgBox);
    session_.deleteShown(questions);
}

void MainWindow::undoLast() {
    // Not while a folder is listed: the list the undo would settle is about to go.
    if (!folders_.listing()) session_.undoLast();
}

void MainWindow::showMessage(const QString& text) {
    if (!text.isEmpty()) services_.msgBox->ask(text);
}

void MainWindow::showTransferRecord() {
    if (!recordWindow_) {
        TransferRecordWindow::ShowFolder show = services_.showFolder;
        if (!show) show = DesktopFolders::showInFileManager;
        recordWindow_ = new TransferRecordWindow(*recorder_, show, *services_.msgBox, this);
        recordWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    recordWindow_->show();
    recordWindow_->raise();
    recordWindow_->activateWindow();
}

TransferRecordWindow* MainWindow::transferRecordWindow() const { return recordWindow_.data(); }
