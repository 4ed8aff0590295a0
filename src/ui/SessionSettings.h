#pragma once
#include <QString>

#include "OptionFiles.h"

class MsgBox;
class SortingSession;

// What a session starts from and leaves behind in the config folder beside the program.
namespace SessionSettings {

// Reads the pages, the slots' folders, the options and the renaming settings into `session`
// (a first start gets the page "新規ページ" with the documents and pictures folders), looks for
// the PNG plug-in, makes config/ when missing and settles the current page. Relative paths
// resolve against the working directory, which is the program's by then. Returns the window
// placement option file 0 kept of the last run.
std::optional<WindowPlacement> load(const QString& programDir, SortingSession& session);

// Writes option file 0 (with `placement`), the renaming file and Orvane's own settings; a
// failure is reported through `msg` and the other files are still written.
void save(const QString& programDir, const SortingSession& session, const WindowPlacement& placement,
          MsgBox& msg);

}  // namespace SessionSettings
