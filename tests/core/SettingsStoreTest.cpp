#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/SettingsStore.h"
#include "TestSupport.h"

namespace {

Page FirstStartPage() {
    Page page;
    page.name = QStringLiteral("新規ページ");
    page.folderSlots[1].folder = QStringLiteral("/home/u/Pictures");
    return page;
}

// A first start: the given page, with what a renaming file left for its slots (read after the
// page is made), the current page settled, and config/ made for the saves to come.
TEST(SettingsStoreTest, FirstStartGetsTheGivenPageAndTheConfigFolder) {
    TempDir program;
    program.write("config/設定_個別転送.ini", "\"IndividualTrans\",0,1,1,\"trip\",7\r\n");
    program.write("config/設定_オプション.ini", "\"CurrentPageNum\",5\r\n\"DelTrash\",1\r\n");
    const StoredSettings stored = SettingsStore(program.path()).load(FirstStartPage());
    ASSERT_EQ(stored.library.pageCount(), 1);
    EXPECT_EQ(stored.library.page(0).name, QStringLiteral("新規ページ"));
    EXPECT_EQ(stored.library.page(0).folderSlots[1].folder, QStringLiteral("/home/u/Pictures"));
    EXPECT_EQ(stored.library.page(0).folderSlots[1].fixedName, QStringLiteral("trip"));
    EXPECT_EQ(stored.library.page(0).folderSlots[1].nextNumber, 7);
    EXPECT_EQ(stored.library.page(0).folderSlots[2].nextNumber, 1);
    EXPECT_EQ(stored.library.currentPage(), 0);
    EXPECT_EQ(stored.options.deleteMode, DeleteMode::Directly);
    EXPECT_FALSE(stored.placement);

    TempDir bare;
    SettingsStore(bare.path()).load(FirstStartPage());
    EXPECT_TRUE(QFileInfo(bare.file("config")).isDir());
}

// Each save writes its own files and no other; a file that cannot be written is returned
// by name and the others are written all the same.
TEST(SettingsStoreTest, EachSaveWritesItsFilesAndReturnsEveryFailure) {
    const QStringList all = {"設定_ページ.ini", "設定_フォルダ.ini", "設定_個別転送.ini", "設定_オプション.ini",
                             "設定_拡張.ini"};
    TempDir program;
    const SettingsStore store(program.path());
    const StoredSettings stored = store.load(FirstStartPage());
    auto written = [&] {
        QStringList out;
        for (const QString& name : all)
            if (QFileInfo(program.file("config/" + name)).isFile()) out << name;
        for (const QString& name : out) QFile::remove(program.file("config/" + name));
        return out;
    };

    EXPECT_TRUE(store.saveLibrary(stored.library).empty());
    EXPECT_EQ(written(), (QStringList{"設定_ページ.ini", "設定_フォルダ.ini", "設定_個別転送.ini"}));
    EXPECT_TRUE(store.saveOptions(stored.options, 0, WindowPlacement()).empty());
    EXPECT_EQ(written(), (QStringList{"設定_オプション.ini", "設定_拡張.ini"}));
    EXPECT_TRUE(store.saveOnClose(stored.options, stored.library, WindowPlacement()).empty());
    EXPECT_EQ(written(), (QStringList{"設定_個別転送.ini", "設定_オプション.ini", "設定_拡張.ini"}));

    // A folder where a file should be: that file cannot be written.
    ASSERT_TRUE(QDir().mkpath(program.file("config/設定_フォルダ.ini")));
    ASSERT_TRUE(QDir().mkpath(program.file("config/設定_個別転送.ini")));
    const SettingsStore::Failures failures = store.saveLibrary(stored.library);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].path, program.file("config/設定_フォルダ.ini"));
    EXPECT_EQ(failures[1].path, program.file("config/設定_個別転送.ini"));
    EXPECT_FALSE(failures[0].reason.isEmpty());
    EXPECT_EQ(written(), QStringList{"設定_ページ.ini"});
}

}  // namespace
