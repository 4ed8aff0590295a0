#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "core/SaveFailure.h"

// How the main window was shown when it was placed.
enum class WindowShow { Normal, Minimized, Maximized };

// The main window's restored rectangle and show state.
struct WindowPlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    WindowShow show = WindowShow::Normal;
};

// What option file 0 keeps of the last run beside the options; each is empty when the file
// holds no usable line for it.
struct LastRun {
    std::optional<int32_t> currentPage;
    std::optional<WindowPlacement> placement;
};

// The two option files in the config folder beside the program. The options file holds the
// options, the current page, the fit mode and the window placement; the renaming file holds
// each slot's renaming switch, fixed name and next number, ten lines for every page.
namespace OptionFiles {

// "<programDir>/config/設定_オプション.ini" and "<programDir>/config/設定_個別転送.ini".
QString optionsFilePath(const QString& programDir);
QString renamingFilePath(const QString& programDir);

// Applies the options file's lines over `options`; a missing file changes nothing. The page
// and placement it remembers come back in `lastRun`.
void loadOptions(const QString& programDir, Options& options, LastRun* lastRun = nullptr);
// Rewrites the options file: eleven lines, `currentPage` and `placement` among them.
std::optional<SaveFailure> saveOptions(const QString& programDir, const Options& options,
                                       int32_t currentPage,
                                       const WindowPlacement& placement = WindowPlacement());

// Applies the renaming file's lines to the library's slots; lines naming a page or slot the
// library does not have are skipped.
void loadRenaming(const QString& programDir, FolderLibrary& library);
// Rewrites the renaming file: one line per slot of every page.
std::optional<SaveFailure> saveRenaming(const QString& programDir, const FolderLibrary& library);

// Orvane's own settings, "<programDir>/config/設定_拡張.ini": lines `"Key",value` in the form
// of the options file. Loading applies the known keys with usable values over `options` and
// skips every other line; saving rewrites the whole file.
QString extrasFilePath(const QString& programDir);
void loadExtras(const QString& programDir, Options& options);
std::optional<SaveFailure> saveExtras(const QString& programDir, const Options& options);
void applyExtrasLine(int16_t count, const QString fields[7], Options& options);

// Applies one split line (see SettingsLine::split) of either file. Keys are matched without
// regard to case; a line of an unknown key, or whose values cannot be held, changes nothing.
void applyOptionsLine(int16_t count, const QString fields[7], Options& options, LastRun* lastRun);
void applyRenamingLine(int16_t count, const QString fields[7], FolderLibrary& library);

// The lines saveOptions and saveRenaming write.
QStringList optionsLines(const Options& options, int32_t currentPage, const WindowPlacement& placement);
QStringList renamingLines(const FolderLibrary& library);

}  // namespace OptionFiles
