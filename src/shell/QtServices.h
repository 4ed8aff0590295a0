#pragma once
#include "MsgBox.h"
#include "ShellDialogs.h"

class QWidget;

// Message boxes shown with QMessageBox: no icon, the given buttons and default.
class QtMsgBox : public MsgBox {
public:
    explicit QtMsgBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    int Show(const QString& text, const QString& title, MsgButtons buttons,
             int defaultAnswer) override;

private:
    QWidget* parent_;
};

class QtShellDialogs : public ShellDialogs {
public:
    std::optional<QString> BrowseForFolder(QWidget* owner, const QString& title) override;
    QString GetOpenFileName(QWidget* owner, const QString& filter) override;
};
