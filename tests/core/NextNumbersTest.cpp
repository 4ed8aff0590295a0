#include <gtest/gtest.h>

#include "core/NextNumbers.h"

namespace {

// A new first number moves only idle counters (at a start value, switch off); forgetting the
// last numbers sets every counter of every page to 0.
TEST(NextNumbersTest, NewStartMovesOnlyIdleCountersAndForgettingClearsEveryCounter) {
    FolderLibrary library;
    for (int p = 0; p < 3; ++p) library.appendPage(QString::number(p));
    library.resetRenaming();                        // every counter at 1, every switch off
    library.page(0).folderSlots[1].nextNumber = 3;  // has run past 2: kept
    library.page(0).folderSlots[2].nextNumber = -4;  // below the start values: follows
    library.page(2).folderSlots[2].renaming = Renaming::On;    // switch on: kept
    Options options;
    options.continueNumbers = true;
    options.firstNumber = 0;
    adjustNextNumbers(library, options);
    EXPECT_EQ(library.page(0).folderSlots[0].nextNumber, 0);
    EXPECT_EQ(library.page(0).folderSlots[1].nextNumber, 3);
    EXPECT_EQ(library.page(0).folderSlots[2].nextNumber, 0);
    EXPECT_EQ(library.page(2).folderSlots[2].nextNumber, 1);
    EXPECT_EQ(library.page(1).folderSlots[9].nextNumber, 0);

    options.firstNumber = 2;
    adjustNextNumbers(library, options);
    EXPECT_EQ(library.page(1).folderSlots[9].nextNumber, 2);
    EXPECT_EQ(library.page(0).folderSlots[1].nextNumber, 3);

    options.continueNumbers = false;
    adjustNextNumbers(library, options);
    for (int p = 0; p < 3; ++p)
        for (int s = 0; s < 10; ++s) EXPECT_EQ(library.page(p).folderSlots[s].nextNumber, 0) << p << "," << s;
}

}  // namespace
