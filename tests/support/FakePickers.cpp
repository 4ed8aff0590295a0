#include "FakePickers.h"

std::optional<QString> FakePickers::BrowseForFolder(QWidget*, const QString& title) {
    folderTitles << title;
    if (folderAnswers.empty()) return std::nullopt;
    std::optional<QString> a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
}

QString FakePickers::GetOpenFileName(QWidget*, const QString& filter) {
    fileFilters << filter;
    if (fileAnswers.empty()) return QString();
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}
