#pragma once
#include <cstdint>

// Commands of the key table.
enum KeyCommand : int16_t {
    kNoCommand = 0, kNextFile = 100, kPreviousFile = 101, kNextPage = 102, kPreviousPage = 103,
    kSlide = 104, kTransfer = 105, kOpenSlotFolder = 106, kUndo = 107,
    kChoosePage = 108,
};

// The command `keyCode` with modifier bits `shift` selects, given the option arrow-key mode and
// the number of files in the list; kNoCommand for none. No key selects two commands.
KeyCommand commandFor(int keyCode, int16_t shift, int16_t cursorKeyMode, int32_t fileCount);

// The slot digit of a digit-row or keypad digit key, or -1.
int slotDigit(int keyCode);
