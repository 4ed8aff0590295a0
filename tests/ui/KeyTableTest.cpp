#include <gtest/gtest.h>

#include "KeyCodes.h"
#include "KeyTable.h"

using namespace KeyCodes;

namespace {

bool M(Command cmd, int key, int16_t shift, ArrowKeys mode = ArrowKeys::PagesAndFiles, int32_t files = 5) {
    return commandFor(key, shift, mode, files) == cmd;
}

TEST(KeyTable, SteppingNeedsFilesAndTheRightModifiers) {
    EXPECT_TRUE(M(Command::NextFile, Space, 0));
    EXPECT_FALSE(M(Command::NextFile, Space, 2));
    EXPECT_TRUE(M(Command::PreviousFile, Space, 1));
    EXPECT_TRUE(M(Command::PreviousFile, Back, 7));
    EXPECT_TRUE(M(Command::NextFile, Right, 2));   // Ctrl+Right still steps
    EXPECT_FALSE(M(Command::NextFile, Right, 1));  // Shift+Right slides instead
    EXPECT_TRUE(M(Command::Slide, Right, 1));
    for (int key : {int(Space), int(Back), int(Left), int(Right)}) {
        EXPECT_FALSE(M(Command::NextFile, key, 0, ArrowKeys::PagesAndFiles, 0)) << key;
        EXPECT_FALSE(M(Command::PreviousFile, key, 0, ArrowKeys::PagesAndFiles, 0)) << key;
    }
}

TEST(KeyTable, ArrowsSlideInSlideMode) {
    EXPECT_TRUE(M(Command::Slide, Right, 0, ArrowKeys::Slide));
    EXPECT_TRUE(M(Command::Slide, Up, 1, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::NextFile, Right, 0, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::NextPage, Down, 0, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::Slide, Right, 0, ArrowKeys::PagesAndFiles));
    // A mode no choice stands for (hand-edited) leaves the arrows without a command, Shift or not.
    for (int16_t shift : {0, 1})
        EXPECT_EQ(commandFor(Right, shift, ArrowKeys::Unassigned, 5), Command::None) << shift;
}

TEST(KeyTable, PageKeys) {
    EXPECT_TRUE(M(Command::NextPage, Add, 0));
    EXPECT_TRUE(M(Command::NextPage, Add, 6));
    EXPECT_FALSE(M(Command::NextPage, OemPlus, 0));  // the plus key types "=" without Shift
    EXPECT_TRUE(M(Command::NextPage, OemPlus, 1));
    EXPECT_TRUE(M(Command::PreviousPage, OemMinus, 0));
    EXPECT_TRUE(M(Command::PreviousPage, OemMinus, 1));
    EXPECT_TRUE(M(Command::PreviousPage, Subtract, 0));
    EXPECT_TRUE(M(Command::NextPage, Down, 0, ArrowKeys::PagesAndFiles, 0));  // page keys work with an empty list
    EXPECT_TRUE(M(Command::PreviousPage, Up, 2));
    EXPECT_FALSE(M(Command::PreviousPage, Up, 1));
}

TEST(KeyTable, DigitsTransferOrOpenByExactModifiers) {
    EXPECT_TRUE(M(Command::SendToSlot, 51, 0));
    EXPECT_TRUE(M(Command::SendToSlot, 96 + 9, 0));
    EXPECT_FALSE(M(Command::SendToSlot, 51, 1));
    EXPECT_FALSE(M(Command::SendToSlot, 51, 4));
    EXPECT_TRUE(M(Command::OpenSlot, 51, 2));
    EXPECT_TRUE(M(Command::None, 51, 3));  // Ctrl+Shift+digit does nothing
    EXPECT_TRUE(M(Command::None, 51, 4));  // nor Alt+digit
    EXPECT_TRUE(M(Command::None, 58, 0));  // the key after 9 is no digit
    EXPECT_EQ(slotDigit(48), 0);
    EXPECT_EQ(slotDigit(105), 9);
    EXPECT_EQ(slotDigit(95), -1);
}

}  // namespace
