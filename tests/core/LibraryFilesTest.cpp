#include <gtest/gtest.h>

#include <QDir>

#include "core/LibraryFiles.h"
#include "TestSupport.h"

namespace {

class LibraryFilesTest : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(dir.file("config")); }
    // Pages named as given, each slot's title and folder telling page and slot apart.
    static FolderLibrary MakePages(const QStringList& names) {
        FolderLibrary library;
        for (int p = 0; p < names.size(); ++p) {
            library.appendPage(names.at(p));
            for (int s = 0; s < FolderLibrary::kSlots; ++s) {
                library.page(p).folderSlots[s].title = QStringLiteral("%1-t%2").arg(names.at(p)).arg(s);
                library.page(p).folderSlots[s].folder = QStringLiteral("/%1/p%2/").arg(names.at(p)).arg(s);
            }
        }
        return library;
    }
    static QStringList Names(const FolderLibrary& library) {
        QStringList out;
        for (int p = 0; p < library.pageCount(); ++p) out << library.page(p).name;
        return out;
    }
    FolderLibrary Load() const {
        FolderLibrary library;
        LibraryFiles::loadPages(dir.path(), library);
        LibraryFiles::loadFolders(dir.path(), library);
        return library;
    }
    TempDir dir;
};

TEST_F(LibraryFilesTest, SaveAndLoadRoundTripByteForByte) {
    FolderLibrary library = MakePages({"旅行", " blanks ", "-"});
    library.page(1).folderSlots[3].title.clear();
    library.page(2).folderSlots[9].folder.clear();
    library.page(0).folderSlots[0].title = QStringLiteral("  写真  ");
    ASSERT_FALSE(LibraryFiles::saveFolders(dir.path(), library));
    ASSERT_FALSE(LibraryFiles::savePages(dir.path(), library));

    const QByteArray pages = dir.read("config/設定_ページ.ini");
    EXPECT_EQ(pages, Cp932(QStringLiteral("旅行\r\n blanks \r\n-\r\n")));
    const QByteArray folders = dir.read("config/設定_フォルダ.ini");
    EXPECT_EQ(folders.count("\r\n"), 60);
    EXPECT_TRUE(folders.startsWith(Cp932(QStringLiteral("  写真  \r\n/旅行/p0/\r\n旅行-t1\r\n"))));

    const FolderLibrary loaded = Load();
    EXPECT_EQ(Names(loaded), (QStringList{"旅行", " blanks ", "-"}));
    EXPECT_EQ(loaded.page(0).folderSlots[0].title, QStringLiteral("  写真  "));
    EXPECT_TRUE(loaded.page(1).folderSlots[3].title.isEmpty());
    EXPECT_EQ(loaded.page(1).folderSlots[3].folder, QStringLiteral("/ blanks /p3/"));
    EXPECT_TRUE(loaded.page(2).folderSlots[9].folder.isEmpty());
    EXPECT_EQ(loaded.page(2).folderSlots[9].title, QStringLiteral("--t9"));
    // Saving again gives the same bytes.
    ASSERT_FALSE(LibraryFiles::saveFolders(dir.path(), loaded));
    EXPECT_EQ(dir.read("config/設定_フォルダ.ini"), folders);
}

TEST_F(LibraryFilesTest, ShortPageFileGetsDefaultNamesOnlyWhereEmpty) {
    dir.write("config/設定_ページ.ini", Cp932(QStringLiteral("一\r\n\r\n三\r\n")));
    EXPECT_EQ(Names(Load()), (QStringList{"一", "グループ2", "三"}));
}

TEST_F(LibraryFilesTest, EmptyOrMissingPageFileLoadsNoPage) {
    EXPECT_EQ(Load().pageCount(), 0);
    dir.write("config/設定_ページ.ini", QByteArray());
    EXPECT_EQ(Load().pageCount(), 0);
}

TEST_F(LibraryFilesTest, PageFileIsCutAtTwoHundredFiftyLinesWithoutDefaults) {
    QByteArray bytes("\r\n");  // the first name is empty and stays so
    for (int i = 1; i < 400; ++i) bytes += "p" + QByteArray::number(i) + "\r\n";
    dir.write("config/設定_ページ.ini", bytes);
    const FolderLibrary library = Load();
    EXPECT_EQ(library.pageCount(), 250);
    EXPECT_TRUE(library.page(0).name.isEmpty());
    EXPECT_EQ(library.page(249).name, QStringLiteral("p249"));
}

TEST_F(LibraryFilesTest, FolderFileIsReadStrictlyByPosition) {
    dir.write("config/設定_ページ.ini", "a\r\nb\r\n");
    // Page 0 complete, then page 1 ends after the title line of slot 1.
    QByteArray bytes;
    for (int s = 0; s < 10; ++s) bytes += "t" + QByteArray::number(s) + "\r\n/p" + QByteArray::number(s) + "/\r\n";
    bytes += "u0\r\n/q0/\r\nu1";
    dir.write("config/設定_フォルダ.ini", bytes);
    const FolderLibrary library = Load();
    EXPECT_EQ(library.page(0).folderSlots[9].folder, QStringLiteral("/p9/"));
    EXPECT_EQ(library.page(1).folderSlots[0].title, QStringLiteral("u0"));
    EXPECT_EQ(library.page(1).folderSlots[1].title, QStringLiteral("u1"));
    EXPECT_TRUE(library.page(1).folderSlots[1].folder.isEmpty());
    EXPECT_TRUE(library.page(1).folderSlots[2].title.isEmpty());
}

TEST_F(LibraryFilesTest, FailedSaveNamesTheFile) {
    const FolderLibrary library = MakePages({"X"});
    QDir(dir.file("config")).removeRecursively();
    dir.write("config", "a file where the folder should be");
    const auto failure = LibraryFiles::savePages(dir.path(), library);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->path.endsWith(QStringLiteral("config/設定_ページ.ini")));
    EXPECT_FALSE(failure->reason.isEmpty());
}

}  // namespace
