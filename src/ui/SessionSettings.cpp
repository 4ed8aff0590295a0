#include "ui/SessionSettings.h"

#include "desktop/DesktopFolders.h"
#include "platform/FileSystem.h"
#include "view/PngPlugin.h"
#include "core/SettingsStore.h"
#include "core/SortingSession.h"

Page SessionSettings::firstStartPage() {
    Page page;
    page.name = QStringLiteral("新規ページ");
    page.folderSlots[0].title = QStringLiteral("マイドキュメント");
    page.folderSlots[0].folder = DesktopFolders::documentsFolderPath();
    page.folderSlots[1].title = QStringLiteral("マイピクチャー");
    page.folderSlots[1].folder = DesktopFolders::picturesFolderPath();
    for (Slot& slot : page.folderSlots) slot.nextNumber = 1;
    return page;
}

std::optional<WindowPlacement> SessionSettings::load(const SettingsStore& store, SortingSession& session,
                                                    FileSystem& fs) {
    StoredSettings stored = store.load(firstStartPage());
    session.library() = std::move(stored.library);
    session.options() = std::move(stored.options);
    // Only a regular file can be loaded; anything else there (a folder, a pipe) is no plug-in.
    session.resetModes(fs.isRegularFile(QString::fromLatin1(PngPlugin::kPluginPath)));
    return stored.placement;
}
