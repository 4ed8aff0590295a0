#pragma once
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

#include "desktop/Pickers.h"

// Answers the file and folder pickers from a script and records what each was asked. An empty
// script answers as a cancel.
class FakePickers : public Pickers {
public:
    std::optional<QString> chooseFolder(QWidget* owner, const QString& title) override;
    QString choosePictureFile(QWidget* owner, const QString& filter) override;

    std::deque<std::optional<QString>> folderAnswers;
    std::deque<QString> fileAnswers;
    QStringList folderTitles;  // the title of each folder browser shown
    QStringList fileFilters;   // the filter of each open-file dialog shown
};
