#include <gtest/gtest.h>

#include "ui/KeyCodes.h"
#include "ui/KeyTable.h"

using namespace KeyCodes;

namespace {

constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers Alt = Qt::AltModifier;

bool M(Command cmd, int key, Qt::KeyboardModifiers held, ArrowKeys arrows = ArrowKeys::PagesAndFiles,
       int32_t files = 5) {
    return commandFor(key, held, arrows, files) == cmd;
}

TEST(KeyTable, SteppingNeedsFilesAndTheRightModifiers) {
    EXPECT_TRUE(M(Command::NextFile, Space, None));
    EXPECT_FALSE(M(Command::NextFile, Space, Ctrl));
    EXPECT_TRUE(M(Command::PreviousFile, Space, Shift));
    EXPECT_TRUE(M(Command::PreviousFile, Back, Shift | Ctrl | Alt));
    EXPECT_TRUE(M(Command::NextFile, Right, Ctrl));   // Ctrl+Right still steps
    EXPECT_FALSE(M(Command::NextFile, Right, Shift));  // Shift+Right slides instead
    EXPECT_TRUE(M(Command::Slide, Right, Shift));
    for (int key : {int(Space), int(Back), int(Left), int(Right)}) {
        EXPECT_FALSE(M(Command::NextFile, key, None, ArrowKeys::PagesAndFiles, 0)) << key;
        EXPECT_FALSE(M(Command::PreviousFile, key, None, ArrowKeys::PagesAndFiles, 0)) << key;
    }
}

TEST(KeyTable, ArrowsSlideWhenSetToSlide) {
    EXPECT_TRUE(M(Command::Slide, Right, None, ArrowKeys::Slide));
    EXPECT_TRUE(M(Command::Slide, Up, Shift, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::NextFile, Right, None, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::NextPage, Down, None, ArrowKeys::Slide));
    EXPECT_FALSE(M(Command::Slide, Right, None));
    // A mode no choice stands for (hand-edited) leaves the arrows without a command, Shift or not.
    for (Qt::KeyboardModifiers held : {None, Shift})
        EXPECT_EQ(commandFor(Right, held, ArrowKeys::Unassigned, 5), Command::None);
}

TEST(KeyTable, PageKeys) {
    EXPECT_TRUE(M(Command::NextPage, Add, None));
    EXPECT_TRUE(M(Command::NextPage, Add, Ctrl | Alt));
    EXPECT_FALSE(M(Command::NextPage, OemPlus, None));  // the plus key types "=" without Shift
    EXPECT_TRUE(M(Command::NextPage, OemPlus, Shift));
    EXPECT_TRUE(M(Command::PreviousPage, OemMinus, None));
    EXPECT_TRUE(M(Command::PreviousPage, OemMinus, Shift));
    EXPECT_TRUE(M(Command::PreviousPage, Subtract, None));
    EXPECT_TRUE(M(Command::NextPage, Down, None, ArrowKeys::PagesAndFiles, 0));  // page keys work with an empty list
    EXPECT_TRUE(M(Command::PreviousPage, Up, Ctrl));
    EXPECT_FALSE(M(Command::PreviousPage, Up, Shift));
}

TEST(KeyTable, QtKeysTranslateOnceByThePhysicalKey) {
    EXPECT_EQ(keyCodeOf(Qt::Key_3, 0, Qt::NoModifier), 51);
    EXPECT_EQ(keyCodeOf(Qt::Key_3, 0, Qt::KeypadModifier), 99);
    // Shift+3 types "#" but is still the digit 3 by its physical key.
    EXPECT_EQ(keyCodeOf(Qt::Key_NumberSign, 12, Qt::ShiftModifier), 51);
    EXPECT_EQ(keyCodeOf(Qt::Key_ParenRight, 19, Qt::ShiftModifier), 48);
    EXPECT_EQ(keyCodeOf(Qt::Key_Plus, 0, Qt::KeypadModifier), 107);
    EXPECT_EQ(keyCodeOf(Qt::Key_Plus, 21, Qt::ShiftModifier), 187);
    EXPECT_EQ(keyCodeOf(Qt::Key_Equal, 21, Qt::NoModifier), 187);
    EXPECT_EQ(keyCodeOf(Qt::Key_Underscore, 20, Qt::ShiftModifier), 189);
    EXPECT_EQ(keyCodeOf(Qt::Key_Minus, 0, Qt::KeypadModifier), 109);
    EXPECT_EQ(keyCodeOf(Qt::Key_Enter, 0, Qt::KeypadModifier), 13);
    EXPECT_EQ(keyCodeOf(Qt::Key_Return, 0, Qt::NoModifier), 13);
    EXPECT_EQ(keyCodeOf(Qt::Key_L, 0, Qt::ControlModifier), 76);
    EXPECT_EQ(keyCodeOf(Qt::Key_F5, 71, Qt::NoModifier), 0);
    // With the layout known, the physical key decides: a key typing "=" that carries neither
    // "+" nor "-" is nothing; the keypad stays the keypad.
    EXPECT_EQ(keyCodeOf(Qt::Key_Equal, 48, Qt::ShiftModifier, Qt::Key_unknown), 0);
    EXPECT_EQ(keyCodeOf(Qt::Key_Apostrophe, 48, Qt::NoModifier, Qt::Key_Minus), 189);
    EXPECT_EQ(keyCodeOf(Qt::Key_Plus, 86, Qt::KeypadModifier, Qt::Key_unknown), 107);
}

TEST(KeyTable, DigitsTransferOrOpenByExactModifiers) {
    EXPECT_TRUE(M(Command::SendToSlot, 51, None));
    EXPECT_TRUE(M(Command::SendToSlot, 96 + 9, Qt::KeypadModifier));
    EXPECT_FALSE(M(Command::SendToSlot, 51, Shift));
    EXPECT_FALSE(M(Command::SendToSlot, 51, Alt));
    EXPECT_TRUE(M(Command::OpenSlot, 51, Ctrl));
    EXPECT_TRUE(M(Command::None, 51, Shift | Ctrl));  // Ctrl+Shift+digit does nothing
    EXPECT_TRUE(M(Command::None, 51, Alt | Qt::MetaModifier));  // nor Alt+digit
    EXPECT_TRUE(M(Command::None, 58, None));  // the key after 9 is no digit
    EXPECT_EQ(slotDigit(48), 0);
    EXPECT_EQ(slotDigit(105), 9);
    EXPECT_EQ(slotDigit(95), -1);
}

}  // namespace
