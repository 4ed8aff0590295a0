#pragma once
#include <cstdint>

#include "Commands.h"
#include "Options.h"

// The key router's vocabulary: key codes (KeyCodes.h) and modifier bits (1 Shift, 2 Ctrl, 4 Alt).

// The command `keyCode` with modifier bits `shift` selects, given what the arrow keys do and
// the number of files in the list; Command::None for none. No key selects two commands.
Command commandFor(int keyCode, int16_t shift, ArrowKeys arrowKeys, int32_t fileCount);

// The slot digit of a digit-row or keypad digit key, or -1.
int slotDigit(int keyCode);
