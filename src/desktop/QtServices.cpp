#include "QtServices.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

#include "DesktopFolders.h"

namespace {
// `path` when it is an existing folder, else the home folder.
QString ExistingFolderOrHome(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QDir::homePath();
}
}  // namespace

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

std::unique_ptr<QFileDialog> QtPickers::MakeFolderBrowser(QWidget* owner, const QString& title) {
    auto browser = std::make_unique<QFileDialog>(
        owner, title, ExistingFolderOrHome(DesktopFolders::DesktopFolderPath()));
    browser->setFileMode(QFileDialog::Directory);
    browser->setOption(QFileDialog::ShowDirsOnly);
    return browser;
}

std::optional<QString> QtPickers::BrowseForFolder(QWidget* owner, const QString& title) {
    const std::unique_ptr<QFileDialog> browser = MakeFolderBrowser(owner, title);
    if (browser->exec() != QDialog::Accepted || browser->selectedFiles().isEmpty()) return std::nullopt;
    const QString dir = browser->selectedFiles().constFirst();
    if (dir.isEmpty()) return std::nullopt;
    return dir;
}

std::unique_ptr<QFileDialog> QtPickers::MakeOpenFileDialog(QWidget* owner, const QString& filter) const {
    const QString folder = !lastFileFolder_.isEmpty() && QFileInfo(lastFileFolder_).isDir()
                               ? lastFileFolder_
                               : ExistingFolderOrHome(DesktopFolders::PicturesFolderPath());
    auto dialog = std::make_unique<QFileDialog>(owner, QString(), folder, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

QString QtPickers::GetOpenFileName(QWidget* owner, const QString& filter) {
    const std::unique_ptr<QFileDialog> dialog = MakeOpenFileDialog(owner, filter);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return QString();
    const QString name = dialog->selectedFiles().constFirst();
    if (!name.isEmpty()) lastFileFolder_ = QFileInfo(name).absolutePath();
    return name;
}
