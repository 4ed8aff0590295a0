#pragma once
#include <QString>

#include <cstdint>
#include <optional>

// Where a deleted file goes, and an old destination an overwrite replaces: the desktop's trash,
// or nowhere.
enum class DeleteMode { ToTrash, Directly };

// What a send does when the slot's folder already holds the file's name.
enum class CollisionMode {
    Ask,          // the user chooses: replace, keep both or skip
    Replace,      // the old file is replaced (and goes where DeleteMode says)
    Number,       // the new file gets the first free numbered name
    Unsupported,  // a hand-edited file asked for a mode there is none of: the send is refused
};

// What the arrow keys do.
enum class ArrowKeys {
    Slide,          // they slide the picture
    PagesAndFiles,  // up and down change page, left and right change file; Shift slides
    Unassigned,     // a hand-edited file asked for neither: they do nothing
};

namespace OptionFiles {
struct CodeAccess;
}

// The numbers the options file held for the typed options, so that a number no choice stands
// for (a hand-edited "DelTrash",5) is written back as it was read while the typed value says
// what it does. Only the option files read or write them.
class StoredOptionCodes {
    friend struct OptionFiles::CodeAccess;
    std::optional<int16_t> deleteMode;
    std::optional<int16_t> confirmDelete;
    std::optional<int16_t> arrowKeys;
    std::optional<int16_t> collisionMode;
    std::optional<int16_t> continueNumbers;
};

// The user's preferences.
struct Options {
    DeleteMode deleteMode = DeleteMode::ToTrash;
    bool confirmDelete = false;  // ask before deleting
    ArrowKeys arrowKeys = ArrowKeys::PagesAndFiles;
    CollisionMode collisionMode = CollisionMode::Ask;
    QString connector = QStringLiteral("_");  // between a name and its number
    // Sequence numbers are zero-padded to this many digits (the dialog offers 1 to 6; a
    // hand-edited file may hold any, SequenceNames keeps the result sane).
    int32_t numberDigits = 3;
    int16_t firstNumber = 1;       // the number sequence numbering starts from (0, 1 or 2 offered)
    bool continueNumbers = false;  // renaming slots continue from their own next number
    bool fitToView = false;        // the picture is fitted to the view

    // Orvane's own settings beyond these, kept in a file of their own (OptionFiles::loadExtras);
    // each starts off, so the program behaves as the old one did until the user turns it on.
    bool extraFormats = false;   // .jpeg .webp .tif .heic .avif and camera RAW listed and shown
    bool transferLog = false;    // every action appended to the transfer record file
    // The shown file's companions (same stem: RAW, sidecars, a phone's clip) go wherever it goes.
    bool companions = false;
    int32_t panelWidth = 0;      // the overview panel's width after a drag; 0: the standard width

    StoredOptionCodes storedCodes;
};
