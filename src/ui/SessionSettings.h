#pragma once
#include <optional>

#include "core/FolderLibrary.h"
#include "core/OptionFiles.h"

class FileSystem;
class SettingsStore;
class SortingSession;

// What the window needs around the settings store at its start: the desktop's part of a first
// start and the plug-in's presence.
namespace SessionSettings {

// The page a first start gets: "新規ページ" with the documents and pictures folders.
Page firstStartPage();

// Loads the store's library and options into `session` (see SettingsStore::load) and looks for
// the PNG plug-in through `fs`. Relative paths resolve against the working directory, which is
// the program's by then. Returns the window placement option file 0 kept of the last run.
std::optional<WindowPlacement> load(const SettingsStore& store, SortingSession& session, FileSystem& fs);

}  // namespace SessionSettings
