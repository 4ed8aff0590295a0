#include <gtest/gtest.h>

#include "KeyCodes.h"
#include "KeyTable.h"

using namespace KeyCodes;

namespace {

bool M(int16_t cmd, int key, int16_t shift, int16_t mode = 1, int32_t files = 5) {
    return commandFor(key, shift, mode, files) == cmd;
}

TEST(KeyTable, SteppingNeedsFilesAndTheRightModifiers) {
    EXPECT_TRUE(M(kNextFile, Space, 0));
    EXPECT_FALSE(M(kNextFile, Space, 2));
    EXPECT_TRUE(M(kPreviousFile, Space, 1));
    EXPECT_TRUE(M(kPreviousFile, Back, 7));
    EXPECT_TRUE(M(kNextFile, Right, 2));   // Ctrl+Right still steps
    EXPECT_FALSE(M(kNextFile, Right, 1));  // Shift+Right slides instead
    EXPECT_TRUE(M(kSlide, Right, 1));
    for (int key : {int(Space), int(Back), int(Left), int(Right)}) {
        EXPECT_FALSE(M(kNextFile, key, 0, 1, 0)) << key;
        EXPECT_FALSE(M(kPreviousFile, key, 0, 1, 0)) << key;
    }
}

TEST(KeyTable, ArrowsSlideInModeZero) {
    EXPECT_TRUE(M(kSlide, Right, 0, 0));
    EXPECT_TRUE(M(kSlide, Up, 1, 0));
    EXPECT_FALSE(M(kNextFile, Right, 0, 0));
    EXPECT_FALSE(M(kNextPage, Down, 0, 0));
    EXPECT_FALSE(M(kSlide, Right, 0, 1));
}

TEST(KeyTable, PageKeys) {
    EXPECT_TRUE(M(kNextPage, Add, 0));
    EXPECT_TRUE(M(kNextPage, Add, 6));
    EXPECT_FALSE(M(kNextPage, OemPlus, 0));  // the plus key types "=" without Shift
    EXPECT_TRUE(M(kNextPage, OemPlus, 1));
    EXPECT_TRUE(M(kPreviousPage, OemMinus, 0));
    EXPECT_TRUE(M(kPreviousPage, OemMinus, 1));
    EXPECT_TRUE(M(kPreviousPage, Subtract, 0));
    EXPECT_TRUE(M(kNextPage, Down, 0, 1, 0));  // page keys work with an empty list
    EXPECT_TRUE(M(kPreviousPage, Up, 2));
    EXPECT_FALSE(M(kPreviousPage, Up, 1));
}

TEST(KeyTable, DigitsTransferOrOpenByExactModifiers) {
    EXPECT_TRUE(M(kTransfer, 51, 0));
    EXPECT_TRUE(M(kTransfer, 96 + 9, 0));
    EXPECT_FALSE(M(kTransfer, 51, 1));
    EXPECT_FALSE(M(kTransfer, 51, 4));
    EXPECT_TRUE(M(kOpenSlotFolder, 51, 2));
    EXPECT_TRUE(M(kNoCommand, 51, 3));  // Ctrl+Shift+digit does nothing
    EXPECT_TRUE(M(kNoCommand, 51, 4));  // nor Alt+digit
    EXPECT_TRUE(M(kNoCommand, 58, 0));  // the key after 9 is no digit
    EXPECT_EQ(slotDigit(48), 0);
    EXPECT_EQ(slotDigit(105), 9);
    EXPECT_EQ(slotDigit(95), -1);
}

}  // namespace
