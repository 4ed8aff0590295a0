#include "core/SettingsStore.h"

#include <QDir>

#include "core/LibraryFiles.h"

namespace {

void note(SettingsStore::Failures& failures, const std::optional<SaveFailure>& failure) {
    if (failure) failures.push_back(*failure);
}

}  // namespace

StoredSettings SettingsStore::load(const Page& firstStartPage) const {
    StoredSettings stored;
    FolderLibrary& library = stored.library;
    LibraryFiles::loadPages(programDir_, library);
    LibraryFiles::loadFolders(programDir_, library);
    if (library.pageCount() < 1) {
        library.appendPage(firstStartPage.name);
        library.page(0) = firstStartPage;
    }
    library.resetRenaming();
    LastRun lastRun;
    OptionFiles::loadOptions(programDir_, stored.options, &lastRun);
    OptionFiles::loadExtras(programDir_, stored.options);
    OptionFiles::loadRenaming(programDir_, library);
    QDir(programDir_).mkdir(QStringLiteral("config"));
    library.settleCurrentPage(lastRun.currentPage.value_or(0));
    stored.placement = lastRun.placement;
    return stored;
}

SettingsStore::Failures SettingsStore::saveLibrary(const FolderLibrary& library) const {
    Failures failures;
    note(failures, LibraryFiles::saveFolders(programDir_, library));
    note(failures, LibraryFiles::savePages(programDir_, library));
    note(failures, OptionFiles::saveRenaming(programDir_, library));
    return failures;
}

SettingsStore::Failures SettingsStore::saveOptions(const Options& options, int32_t currentPage,
                                                   const WindowPlacement& placement) const {
    Failures failures;
    note(failures, OptionFiles::saveOptions(programDir_, options, currentPage, placement));
    note(failures, OptionFiles::saveExtras(programDir_, options));
    return failures;
}

SettingsStore::Failures SettingsStore::saveOnClose(const Options& options, const FolderLibrary& library,
                                                   const WindowPlacement& placement) const {
    Failures failures;
    note(failures, OptionFiles::saveOptions(programDir_, options, library.currentPage(), placement));
    note(failures, OptionFiles::saveRenaming(programDir_, library));
    note(failures, OptionFiles::saveExtras(programDir_, options));
    return failures;
}
