#pragma once
#include <QString>

#include <cstdint>

// The user's preferences. The numbers are kept as the option file gives them, so a value no
// choice of the options dialog shows survives a run untouched.
struct Options {
    int16_t deleteMode = 0;        // 0: deleted files go to the trash, 1: they are deleted directly
    int16_t confirmDelete = 0;     // 1: ask before deleting
    int16_t arrowKeyMode = 1;      // 0: the arrows slide the picture; 1: they change page and file
    int16_t collisionMode = 0;     // name taken at the slot: 0 ask, 1 replace, 2 number the new name
    QString connector = QStringLiteral("_");  // between a name and its number
    int16_t numberDigitsChoice = 2;  // numbers get this many digits plus one (0..5)
    int16_t firstNumber = 1;         // the first number tried (0..2)
    int16_t continueNumbers = 0;     // 1: renaming slots continue from their next number
    bool fitToView = false;          // the picture is fitted to the view

    // Orvane's own settings beyond these, kept in a file of their own (OptionFiles::loadExtras);
    // each starts off, so the program behaves as the old one did until the user turns it on.
    bool extraFormats = false;   // .jpeg .webp .tif .heic .avif and camera RAW listed and shown
    bool transferLog = false;    // every action appended to the transfer record file
    // The shown file's companions (same stem: RAW, sidecars, a phone's clip) go wherever it goes.
    bool companions = false;
    int32_t panelWidth = 0;      // the overview panel's width after a drag; 0: the standard width

    bool deletesToTrash() const { return deleteMode == 0; }
};
