#include "SessionSettings.h"

#include <QDir>

#include "DesktopFolders.h"
#include "FileSystem.h"
#include "LibraryFiles.h"
#include "LibraryMessages.h"
#include "PngPlugin.h"
#include "SortingSession.h"

namespace {

// Appends the page a first start gets: "新規ページ" with the documents and pictures folders.
void addDefaultPage(FolderLibrary& library) {
    library.appendPage(QStringLiteral("新規ページ"));
    Page& page = library.page(library.pageCount() - 1);
    page.folderSlots[0].title = QStringLiteral("マイドキュメント");
    page.folderSlots[0].folder = DesktopFolders::DocumentsFolderPath();
    page.folderSlots[1].title = QStringLiteral("マイピクチャー");
    page.folderSlots[1].folder = DesktopFolders::PicturesFolderPath();
    for (Slot& slot : page.folderSlots) slot.nextNumber = 1;
}

}  // namespace

std::optional<WindowPlacement> SessionSettings::load(const QString& programDir, SortingSession& session) {
    FolderLibrary& library = session.library();
    library = FolderLibrary();
    LibraryFiles::loadPages(programDir, library);
    LibraryFiles::loadFolders(programDir, library);
    // Made before the renaming file is read, which may hold settings for its slots.
    if (library.pageCount() < 1) addDefaultPage(library);
    session.options() = Options();
    library.resetRenaming();
    LastRun lastRun;
    OptionFiles::loadOptions(programDir, session.options(), &lastRun);
    OptionFiles::loadExtras(programDir, session.options());
    OptionFiles::loadRenaming(programDir, library);

    PosixFileSystem fs;
    // Only a regular file can be loaded; anything else there (a folder, a pipe) is no plug-in.
    session.resetModes(fs.IsRegularFile(QString::fromLatin1(PngPlugin::kPluginPath)));
    if (!fs.Exists(QStringLiteral("config/"))) QDir().mkdir(QStringLiteral("config"));
    library.settleCurrentPage(lastRun.currentPage.value_or(0));
    return lastRun.placement;
}

void SessionSettings::save(const QString& programDir, const SortingSession& session,
                           const WindowPlacement& placement, MsgBox& msg) {
    reportSaveFailure(msg, OptionFiles::saveOptions(programDir, session.options(),
                                                    session.library().currentPage(), placement));
    reportSaveFailure(msg, OptionFiles::saveRenaming(programDir, session.library()));
    reportSaveFailure(msg, OptionFiles::saveExtras(programDir, session.options()));
}
