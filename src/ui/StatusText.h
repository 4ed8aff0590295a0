#pragma once
#include <QString>

#include <cstdint>

class SortingSession;

// A file size as the status bar shows it: bytes below 1 KB with two leading blanks, larger
// sizes cut (not rounded) to two decimals in KB, MB, GB or TB with one leading blank.
QString formatFileSize(int64_t bytes);

// The status bar text for `session`; `shownFileSize` is the size of the shown file.
QString statusText(const SortingSession& session, int64_t shownFileSize);

// The caption after an update: "Orvane [ folder ]", left as it is when it already ends in
// the folder part or when no folder is open.
QString captionFor(const QString& currentCaption, const QString& currentFolder);
