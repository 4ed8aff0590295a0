#include "FakePickers.h"

std::optional<QString> FakePickers::chooseFolder(QWidget*, const QString& title) {
    folderTitles << title;
    if (folderAnswers.empty()) return std::nullopt;
    std::optional<QString> a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
}

QString FakePickers::choosePictureFile(QWidget*, const QString& filter) {
    fileFilters << filter;
    if (fileAnswers.empty()) return QString();
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}
