#include "KeyTable.h"

#include "KeyCodes.h"

using namespace KeyCodes;

namespace {
bool isDigitKey(int k) { return (k >= 48 && k <= 57) || (k >= 96 && k <= 105); }
}  // namespace

namespace {
bool selects(Command command, int k, int16_t shift, ArrowKeys arrowKeys, int32_t fileCount) {
    // Shift alone turns the arrows back into sliding keys.
    const ArrowKeys mode = (arrowKeys == ArrowKeys::PagesAndFiles && shift == 1) ? ArrowKeys::Slide : arrowKeys;
    const bool moving = mode == ArrowKeys::PagesAndFiles;
    switch (command) {
        case Command::NextFile:
            return fileCount > 0 && ((k == Space && shift == 0) || (k == Right && moving));
        case Command::PreviousFile:
            return fileCount > 0 &&
                   (k == Back || (k == Space && shift == 1) || (k == Left && moving));
        case Command::NextPage:
            return k == Add || (k == OemPlus && shift == 1) || (k == Down && moving);
        case Command::PreviousPage:
            return k == Subtract || k == OemMinus || (k == Up && moving);
        case Command::Slide:
            return mode == ArrowKeys::Slide && k >= Left && k <= Down;
        case Command::SendToSlot:
            return shift == 0 && isDigitKey(k);
        case Command::OpenSlot:
            return shift == 2 && isDigitKey(k);
        case Command::Undo:
            return shift == 2 && k == KeyZ;
        case Command::ChoosePage:
            return (shift == 0 || shift == 2) && k == KeyG;
        // Whatever the modifiers.
        case Command::Delete:
            return k == Delete;
        case Command::CopyMode:
            return k == KeyC;
        case Command::MoveMode:
            return k == KeyM;
        case Command::Lock:
            return k == KeyL;
        case Command::Fit:
            return k == Return;
        default:
            return false;
    }
}

}  // namespace

Command commandFor(int k, int16_t shift, ArrowKeys arrowKeys, int32_t fileCount) {
    for (Command c : {Command::NextFile, Command::PreviousFile, Command::NextPage, Command::PreviousPage,
                      Command::Slide, Command::SendToSlot, Command::OpenSlot, Command::Undo,
                      Command::ChoosePage, Command::Delete, Command::CopyMode, Command::MoveMode,
                      Command::Lock, Command::Fit})
        if (selects(c, k, shift, arrowKeys, fileCount)) return c;
    return Command::None;
}

int slotDigit(int k) {
    if (k >= 48 && k <= 57) return k - 48;
    if (k >= 96 && k <= 105) return k - 96;
    return -1;
}
