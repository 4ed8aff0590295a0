#include "desktop/QtServices.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "desktop/DesktopFolders.h"

namespace {
// `path` when it is an existing folder, else the home folder.
QString existingFolderOrHome(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QDir::homePath();
}
}  // namespace

MsgAnswer QtMsgBox::ask(const QString& text, const QString& title, MsgButtons buttons,
                   MsgAnswer defaultAnswer) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent_);
    struct Button {
        QMessageBox::StandardButton standard;
        MsgAnswer answer;
    };
    // A plain array: assigning brace lists to a vector here set off a false -Wnonnull in
    // GCC's optimised builds.
    Button set[2];
    int count = 0;
    auto add = [&](QMessageBox::StandardButton standard, MsgAnswer answer) { set[count++] = {standard, answer}; };
    switch (buttons) {
        case MsgButtons::OkCancel: add(QMessageBox::Ok, MsgAnswer::Ok); add(QMessageBox::Cancel, MsgAnswer::Cancel); break;
        case MsgButtons::YesNo: add(QMessageBox::Yes, MsgAnswer::Yes); add(QMessageBox::No, MsgAnswer::No); break;
        case MsgButtons::Ok: break;
    }
    if (count == 0) add(QMessageBox::Ok, MsgAnswer::Ok);
    const Button* const end = set + count;
    for (const Button* b = set; b != end; ++b) {
        box.addButton(b->standard);
        if (b->answer == defaultAnswer) box.setDefaultButton(b->standard);
    }
    if (defaultAnswer == MsgAnswer::None) box.setDefaultButton(set[0].standard);
    // Escape answers the last button (Cancel, No) or OK alone.
    box.setEscapeButton(end[-1].standard);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Button* b = set; b != end; ++b)
        if (b->standard == clicked) return b->answer;
    return end[-1].answer;
}

std::unique_ptr<QFileDialog> QtPickers::makeFolderChooser(QWidget* owner, const QString& title) {
    auto browser = std::make_unique<QFileDialog>(
        owner, title, existingFolderOrHome(DesktopFolders::desktopFolderPath()));
    browser->setFileMode(QFileDialog::Directory);
    browser->setOption(QFileDialog::ShowDirsOnly);
    return browser;
}

std::optional<QString> QtPickers::chooseFolder(QWidget* owner, const QString& title) {
    const std::unique_ptr<QFileDialog> browser = makeFolderChooser(owner, title);
    if (browser->exec() != QDialog::Accepted || browser->selectedFiles().isEmpty()) return std::nullopt;
    const QString dir = browser->selectedFiles().constFirst();
    if (dir.isEmpty()) return std::nullopt;
    return dir;
}

std::unique_ptr<QFileDialog> QtPickers::makeOpenFileDialog(QWidget* owner, const QString& filter) const {
    const QString folder = !lastFileFolder_.isEmpty() && QFileInfo(lastFileFolder_).isDir()
                               ? lastFileFolder_
                               : existingFolderOrHome(DesktopFolders::picturesFolderPath());
    auto dialog = std::make_unique<QFileDialog>(owner, QString(), folder, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
}

QString QtPickers::choosePictureFile(QWidget* owner, const QString& filter) {
    const std::unique_ptr<QFileDialog> dialog = makeOpenFileDialog(owner, filter);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return QString();
    const QString name = dialog->selectedFiles().constFirst();
    if (!name.isEmpty()) lastFileFolder_ = QFileInfo(name).absolutePath();
    return name;
}
