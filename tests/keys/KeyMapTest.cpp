#include <gtest/gtest.h>

#include "KeyMap.h"
#include "VirtualKeys.h"

using namespace VirtualKeys;

namespace {

bool M(int16_t cmd, int key, int16_t shift, int16_t mode = 1, int32_t files = 5) {
    return KeyMatches(cmd, key, shift, mode, files);
}

TEST(KeyMatches, SteppingNeedsFilesAndTheRightModifiers) {
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

TEST(KeyMatches, ArrowsSlideInModeZero) {
    EXPECT_TRUE(M(kSlide, Right, 0, 0));
    EXPECT_TRUE(M(kSlide, Up, 1, 0));
    EXPECT_FALSE(M(kNextFile, Right, 0, 0));
    EXPECT_FALSE(M(kNextPage, Down, 0, 0));
    EXPECT_FALSE(M(kSlide, Right, 0, 1));
}

TEST(KeyMatches, PageKeys) {
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

TEST(KeyMatches, DigitsTransferOrOpenByExactModifiers) {
    EXPECT_TRUE(M(kTransfer, 51, 0));
    EXPECT_TRUE(M(kTransfer, 96 + 9, 0));
    EXPECT_FALSE(M(kTransfer, 51, 1));
    EXPECT_FALSE(M(kTransfer, 51, 4));
    EXPECT_TRUE(M(kOpenSlotFolder, 51, 2));
    EXPECT_FALSE(M(kOpenSlotFolder, 51, 3));  // Ctrl+Shift+digit does nothing
    EXPECT_FALSE(M(kTransfer, 58, 0));
    EXPECT_FALSE(M(99, 51, 0));
    EXPECT_EQ(SlotDigit(48), 0);
    EXPECT_EQ(SlotDigit(105), 9);
    EXPECT_EQ(SlotDigit(95), -1);
}

TEST(VirtualKeys, TranslatesQtKeysOnce) {
    EXPECT_EQ(FromQt(Qt::Key_3, 0, Qt::NoModifier), 51);
    EXPECT_EQ(FromQt(Qt::Key_3, 0, Qt::KeypadModifier), 99);
    // Shift+3 types "#" but is still the digit 3 by its physical key.
    EXPECT_EQ(FromQt(Qt::Key_NumberSign, 12, Qt::ShiftModifier), 51);
    EXPECT_EQ(FromQt(Qt::Key_ParenRight, 19, Qt::ShiftModifier), 48);
    EXPECT_EQ(FromQt(Qt::Key_Plus, 0, Qt::KeypadModifier), 107);
    EXPECT_EQ(FromQt(Qt::Key_Plus, 21, Qt::ShiftModifier), 187);
    EXPECT_EQ(FromQt(Qt::Key_Equal, 21, Qt::NoModifier), 187);
    EXPECT_EQ(FromQt(Qt::Key_Underscore, 20, Qt::ShiftModifier), 189);
    EXPECT_EQ(FromQt(Qt::Key_Minus, 0, Qt::KeypadModifier), 109);
    EXPECT_EQ(FromQt(Qt::Key_Enter, 0, Qt::KeypadModifier), 13);
    EXPECT_EQ(FromQt(Qt::Key_Return, 0, Qt::NoModifier), 13);
    EXPECT_EQ(FromQt(Qt::Key_L, 0, Qt::ControlModifier), 76);
    EXPECT_EQ(FromQt(Qt::Key_F5, 71, Qt::NoModifier), 0);
    // With the layout known, the physical key decides: a key typing "=" that is neither page
    // key is nothing; the keypad stays the keypad.
    EXPECT_EQ(FromQt(Qt::Key_Equal, 48, Qt::ShiftModifier, 0), 0);
    EXPECT_EQ(FromQt(Qt::Key_Plus, 86, Qt::KeypadModifier, 0), 107);
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::KeypadModifier), 1);
    EXPECT_EQ(ShiftState(Qt::ControlModifier | Qt::AltModifier), 6);
}

}  // namespace
