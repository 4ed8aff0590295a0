#include "core/LibraryFiles.h"

#include <QStringList>

#include "platform/TextFile.h"

namespace LibraryFiles {

QString configFilePath(const QString& programDir, const QString& name) {
    QString dir = programDir;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QStringLiteral("config/") + name;
}

QString pageFilePath(const QString& programDir) {
    return configFilePath(programDir, QStringLiteral("設定_ページ.ini"));
}

QString folderFilePath(const QString& programDir) {
    return configFilePath(programDir, QStringLiteral("設定_フォルダ.ini"));
}

std::optional<SaveFailure> saveLines(const QString& path, const QStringList& lines) {
    QString error;
    if (TextFile::writeLines(path, lines, &error)) return std::nullopt;
    return SaveFailure{path, error};
}

void loadPages(const QString& programDir, FolderLibrary& library) {
    QStringList lines;
    TextFile::readLines(pageFilePath(programDir), &lines);
    applyPageLines(lines, library);
}

void applyPageLines(const QStringList& lines, FolderLibrary& library) {
    for (int i = 0; i < FolderLibrary::kMaxPages && i < lines.size(); ++i) library.appendPage(lines.at(i));
    if (lines.size() >= FolderLibrary::kMaxPages) return;
    // Ran out of lines (or there was no file): the first ten pages get a name if they have none.
    for (int j = 0; j < 10 && j < library.pageCount(); ++j)
        if (library.page(j).name.isEmpty())
            library.page(j).name = QStringLiteral("グループ") + QString::number(j + 1);
}

void loadFolders(const QString& programDir, FolderLibrary& library) {
    QStringList lines;
    if (TextFile::readLines(folderFilePath(programDir), &lines)) applyFolderLines(lines, library);
}

void applyFolderLines(const QStringList& lines, FolderLibrary& library) {
    int n = 0;
    for (int p = 0; p < library.pageCount(); ++p) {
        for (Slot& slot : library.page(p).folderSlots) {
            if (n >= lines.size()) return;
            slot.title = lines.at(n++);
            if (n >= lines.size()) return;
            slot.folder = lines.at(n++);
        }
    }
}

QStringList folderLines(const FolderLibrary& library) {
    QStringList lines;
    for (int p = 0; p < library.pageCount(); ++p)
        for (const Slot& slot : library.page(p).folderSlots) lines << slot.title << slot.folder;
    return lines;
}

QStringList pageLines(const FolderLibrary& library) {
    QStringList lines;
    for (int p = 0; p < library.pageCount(); ++p) lines << library.page(p).name;
    return lines;
}

std::optional<SaveFailure> saveFolders(const QString& programDir, const FolderLibrary& library) {
    return saveLines(folderFilePath(programDir), folderLines(library));
}

std::optional<SaveFailure> savePages(const QString& programDir, const FolderLibrary& library) {
    return saveLines(pageFilePath(programDir), pageLines(library));
}

}  // namespace LibraryFiles
