#include <gtest/gtest.h>

#include <QStringList>

#include "core/FolderLibrary.h"

namespace {

using Change = FolderLibrary::PageChange;

// Pages named as given, each slot filled with values that tell page and slot apart.
FolderLibrary MakePages(const QStringList& names) {
    FolderLibrary library;
    for (int p = 0; p < names.size(); ++p) {
        library.appendPage(names.at(p));
        for (int s = 0; s < FolderLibrary::kSlots; ++s) {
            Slot& slot = library.page(p).folderSlots[s];
            slot.title = QStringLiteral("%1-t%2").arg(names.at(p)).arg(s);
            slot.folder = QStringLiteral("/%1/p%2/").arg(names.at(p)).arg(s);
            slot.renaming = s % 2 ? Renaming::On : Renaming::Off;
            slot.fixedName = QStringLiteral("%1-n%2").arg(names.at(p)).arg(s);
            slot.nextNumber = 100 * p + s;
        }
    }
    return library;
}

QStringList Names(const FolderLibrary& library) {
    QStringList out;
    for (int p = 0; p < library.pageCount(); ++p) out << library.page(p).name;
    return out;
}

TEST(FolderLibrary, AddPageInsertsAnEmptyPageBeforePos) {
    FolderLibrary library = MakePages({"X", "Y"});
    ASSERT_EQ(library.addPage(0), Change::Done);
    EXPECT_EQ(Names(library), (QStringList{"新しいページ", "X", "Y"}));
    for (const Slot& slot : library.page(0).folderSlots) {
        EXPECT_TRUE(slot.title.isEmpty());
        EXPECT_TRUE(slot.folder.isEmpty());
        EXPECT_TRUE(slot.fixedName.isEmpty());
        EXPECT_EQ(slot.renaming, Renaming::Off);
        EXPECT_EQ(slot.nextNumber, 1);
    }
    // X moved one place on with all of its slot values.
    EXPECT_EQ(library.page(1).folderSlots[3].title, QStringLiteral("X-t3"));
    EXPECT_EQ(library.page(2).folderSlots[9].nextNumber, 109);
}

TEST(FolderLibrary, AddPageBeforeTheLastPage) {
    FolderLibrary library = MakePages({"X", "Y", "Z"});
    ASSERT_EQ(library.addPage(2), Change::Done);
    EXPECT_EQ(Names(library), (QStringList{"X", "Y", "新しいページ", "Z"}));
    EXPECT_EQ(library.page(3).folderSlots[0].folder, QStringLiteral("/Z/p0/"));
}

TEST(FolderLibrary, TheTwoHundredFiftiethPageIsTheLast) {
    QStringList names;
    for (int i = 0; i < 249; ++i) names << QString::number(i);
    FolderLibrary library = MakePages(names);
    ASSERT_EQ(library.addPage(249), Change::Done);
    EXPECT_EQ(library.pageCount(), 250);
    EXPECT_EQ(library.addPage(0), Change::TooManyPages);
    EXPECT_EQ(library.pageCount(), 250);
    EXPECT_EQ(library.page(0).name, QStringLiteral("0"));
}

TEST(FolderLibrary, DeletePageKeepsOrPullsBackTheCurrentPage) {
    FolderLibrary library = MakePages({"X", "Y", "Z"});
    ASSERT_EQ(library.deletePage(0), Change::Done);
    EXPECT_EQ(Names(library), (QStringList{"Y", "Z"}));
    EXPECT_EQ(library.currentPage(), 0);
    EXPECT_EQ(library.page(0).folderSlots[4].fixedName, QStringLiteral("Y-n4"));

    ASSERT_TRUE(library.selectPage(1));
    ASSERT_EQ(library.deletePage(1), Change::Done);
    EXPECT_EQ(Names(library), (QStringList{"Y"}));
    EXPECT_EQ(library.currentPage(), 0);

    EXPECT_EQ(library.deletePage(0), Change::LastPage);
    EXPECT_EQ(Names(library), (QStringList{"Y"}));
}

TEST(FolderLibrary, SwapPagesMovesEverySlotValueAndTwiceRestores) {
    FolderLibrary library = MakePages({"A", "B"});
    library.swapPages(1, 0);
    EXPECT_EQ(Names(library), (QStringList{"B", "A"}));
    EXPECT_EQ(library.page(0).folderSlots[2].title, QStringLiteral("B-t2"));
    EXPECT_EQ(library.page(1).folderSlots[2].folder, QStringLiteral("/A/p2/"));
    EXPECT_EQ(library.page(0).folderSlots[1].renaming, Renaming::On);
    EXPECT_EQ(library.page(1).folderSlots[7].fixedName, QStringLiteral("A-n7"));
    EXPECT_EQ(library.page(0).folderSlots[5].nextNumber, 105);
    EXPECT_EQ(library.page(1).folderSlots[5].nextNumber, 5);
    library.swapPages(1, 0);
    EXPECT_EQ(Names(library), (QStringList{"A", "B"}));
    EXPECT_EQ(library.page(1).folderSlots[5].nextNumber, 105);
}

// One rule for the current page: a remembered page outside the pages in use starts at the
// first, stepping wraps round at both ends, selecting a page that is not there changes nothing.
TEST(FolderLibrary, CurrentPageIsSettledWrappedAndOnlyEverAPage) {
    FolderLibrary library = MakePages({"A", "B", "C"});
    library.settleCurrentPage(2);
    EXPECT_EQ(library.currentPage(), 2);
    for (int32_t remembered : {3, 250, -1}) {
        library.settleCurrentPage(remembered);
        EXPECT_EQ(library.currentPage(), 0) << remembered;
    }
    library.stepPage(-1);
    EXPECT_EQ(library.currentPage(), 2);
    library.stepPage(+1);
    EXPECT_EQ(library.currentPage(), 0);
    EXPECT_FALSE(library.selectPage(3));
    EXPECT_EQ(library.currentPage(), 0);
}

TEST(FolderLibrary, ResetRenamingLeavesNamesTitlesAndFoldersAlone) {
    FolderLibrary library = MakePages({"A", "B"});
    library.resetRenaming();
    const Slot& slot = library.page(1).folderSlots[3];
    EXPECT_EQ(slot.renaming, Renaming::Off);
    EXPECT_TRUE(slot.fixedName.isEmpty());
    EXPECT_EQ(slot.nextNumber, 1);
    EXPECT_EQ(slot.title, QStringLiteral("B-t3"));
    EXPECT_EQ(slot.folder, QStringLiteral("/B/p3/"));
    EXPECT_EQ(library.page(1).name, QStringLiteral("B"));
}

}  // namespace
