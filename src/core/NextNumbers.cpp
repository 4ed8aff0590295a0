#include "core/NextNumbers.h"

void adjustNextNumbers(FolderLibrary& library, const Options& options) {
    for (int p = 0; p < library.pageCount(); ++p)
        for (Slot& slot : library.page(p).folderSlots) {
            if (slot.nextNumber <= 2 && slot.renaming == Renaming::Off && slot.nextNumber != options.firstNumber)
                slot.nextNumber = options.firstNumber;
            if (!options.continueNumbers) slot.nextNumber = 0;
        }
}
