#pragma once
#include <memory>

#include "platform/MsgBox.h"
#include "desktop/Pickers.h"

class QFileDialog;
class QWidget;

// Message boxes shown with QMessageBox: no icon, the given buttons and default.
class QtMsgBox : public MsgBox {
public:
    explicit QtMsgBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer ask(const QString& text, const QString& title, MsgButtons buttons,
             MsgAnswer defaultAnswer) override;

private:
    QWidget* parent_;
};

class QtPickers : public Pickers {
public:
    std::optional<QString> chooseFolder(QWidget* owner, const QString& title) override;
    QString choosePictureFile(QWidget* owner, const QString& filter) override;

    // The folder browser as chooseFolder shows it: folders only, opened at the desktop
    // folder (the home folder where there is none), never at the program's own folder.
    static std::unique_ptr<QFileDialog> makeFolderChooser(QWidget* owner, const QString& title);
    // The open-file dialog as choosePictureFile shows it: one existing file, opened at the folder
    // of the file last chosen in it, at first at the pictures folder.
    std::unique_ptr<QFileDialog> makeOpenFileDialog(QWidget* owner, const QString& filter) const;

private:
    QString lastFileFolder_;
};
