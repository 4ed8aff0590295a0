#include "QtServices.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

int QtMsgBox::Show(const QString& text, const QString& title, MsgButtons buttons,
                   int defaultAnswer) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent_);
    struct Button {
        QMessageBox::StandardButton standard;
        int answer;
    };
    std::vector<Button> set;
    switch (buttons) {
        case MsgButtons::Ok: set = {{QMessageBox::Ok, vbOK}}; break;
        case MsgButtons::OkCancel: set = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
        case MsgButtons::YesNo: set = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    }
    for (const auto& b : set) {
        box.addButton(b.standard);
        if (b.answer == defaultAnswer) box.setDefaultButton(b.standard);
    }
    if (defaultAnswer == 0) box.setDefaultButton(set.front().standard);
    // Escape answers the last button (Cancel, No) or OK alone.
    box.setEscapeButton(set.back().standard);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& b : set)
        if (b.standard == clicked) return b.answer;
    return set.back().answer;
}

std::optional<QString> QtShellDialogs::BrowseForFolder(QWidget* owner, const QString& title) {
    const QString dir = QFileDialog::getExistingDirectory(owner, title, QString(),
                                                          QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) return std::nullopt;
    return dir;
}

QString QtShellDialogs::GetOpenFileName(QWidget* owner, const QString& filter) {
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
}
