#pragma once
#include <cstdint>

#include "Commands.h"

// The key router's vocabulary: key codes (KeyCodes.h) and modifier bits (1 Shift, 2 Ctrl, 4 Alt).

// The command `keyCode` with modifier bits `shift` selects, given the option arrow-key mode and
// the number of files in the list; Command::None for none. No key selects two commands.
Command commandFor(int keyCode, int16_t shift, int16_t cursorKeyMode, int32_t fileCount);

// The slot digit of a digit-row or keypad digit key, or -1.
int slotDigit(int keyCode);
