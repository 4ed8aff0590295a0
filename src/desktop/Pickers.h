#pragma once
#include <QString>

#include <optional>

class QWidget;

// The file and folder pickers, behind an interface so that tests answer them.
class Pickers {
public:
    virtual ~Pickers() = default;
    // The chosen folder's path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* owner, const QString& title) = 0;
    // The chosen file's path, or empty when the user cancelled.
    virtual QString choosePictureFile(QWidget* owner, const QString& filter) = 0;
};
