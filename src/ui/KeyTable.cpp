#include "KeyTable.h"

#include "KeyCodes.h"

using namespace KeyCodes;

namespace {
bool isDigitKey(int k) { return (k >= 48 && k <= 57) || (k >= 96 && k <= 105); }
}  // namespace

namespace {
bool selects(int16_t command, int k, int16_t shift, int16_t cursorKeyMode, int32_t fileCount) {
    // Shift alone turns the arrows back into sliding keys.
    const int mode = (cursorKeyMode == 1 && shift == 1) ? 0 : cursorKeyMode;
    switch (command) {
        case kNextFile:
            return fileCount > 0 && ((k == Space && shift == 0) || (k == Right && mode == 1));
        case kPreviousFile:
            return fileCount > 0 &&
                   (k == Back || (k == Space && shift == 1) || (k == Left && mode == 1));
        case kNextPage:
            return k == Add || (k == OemPlus && shift == 1) || (k == Down && mode == 1);
        case kPreviousPage:
            return k == Subtract || k == OemMinus || (k == Up && mode == 1);
        case kSlide:
            return mode == 0 && k >= Left && k <= Down;
        case kTransfer:
            return shift == 0 && isDigitKey(k);
        case kOpenSlotFolder:
            return shift == 2 && isDigitKey(k);
        case kUndo:
            return shift == 2 && k == KeyZ;
        case kChoosePage:
            return (shift == 0 || shift == 2) && k == KeyG;
        default:
            return false;
    }
}

}  // namespace

KeyCommand commandFor(int k, int16_t shift, int16_t cursorKeyMode, int32_t fileCount) {
    for (KeyCommand c : {kNextFile, kPreviousFile, kNextPage, kPreviousPage, kSlide, kTransfer, kOpenSlotFolder, kUndo,
                        kChoosePage})
        if (selects(c, k, shift, cursorKeyMode, fileCount)) return c;
    return kNoCommand;
}

int slotDigit(int k) {
    if (k >= 48 && k <= 57) return k - 48;
    if (k >= 96 && k <= 105) return k - 96;
    return -1;
}
