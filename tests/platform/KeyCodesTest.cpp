#include <gtest/gtest.h>

#include "KeyCodes.h"

using namespace KeyCodes;

namespace {

TEST(KeyCodes, TranslatesQtKeysOnce) {
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
