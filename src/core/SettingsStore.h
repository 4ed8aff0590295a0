#pragma once
#include <QString>

#include <optional>
#include <vector>

#include "core/FolderLibrary.h"
#include "core/OptionFiles.h"
#include "core/Options.h"
#include "core/SaveFailure.h"

// What the config folder keeps of the last run.
struct StoredSettings {
    FolderLibrary library;  // its current page settled
    Options options;
    std::optional<WindowPlacement> placement;
};

// The one owner of the settings files in the config folder beside the program: the page and
// folder files (the library), option file 0 (options, current page, fit mode, placement), the
// renaming file and Orvane's own settings file. Nothing else writes them. A save writes each
// of its files even when an earlier one fails, and returns the failures in the order written,
// for the window to report.
class SettingsStore {
public:
    using Failures = std::vector<SaveFailure>;

    explicit SettingsStore(QString programDir) : programDir_(std::move(programDir)) {}

    // Reads every file. A library without pages gets `firstStartPage` before the renaming file
    // is read, which may hold settings for its slots. Makes config/ when it is missing.
    StoredSettings load(const Page& firstStartPage) const;

    // After the folder editor: the folder, page and renaming files.
    Failures saveLibrary(const FolderLibrary& library) const;
    // After the options dialog: option file 0 and Orvane's own settings.
    Failures saveOptions(const Options& options, int32_t currentPage, const WindowPlacement& placement) const;
    // At the window's close: option file 0, the renaming file and Orvane's own settings.
    Failures saveOnClose(const Options& options, const FolderLibrary& library,
                         const WindowPlacement& placement) const;

private:
    QString programDir_;
};
