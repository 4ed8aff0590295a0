#pragma once
#include <QString>

#include <cstdint>

#include "core/TransferResult.h"

class SortingSession;

// A file size as the status bar shows it: bytes below 1 KB with two leading blanks, larger
// sizes cut (not rounded) to two decimals in KB, MB, GB or TB with one leading blank.
QString formatFileSize(int64_t bytes);

// The status bar text for `session`; `shownFileSize` is the size of the shown file, or of its
// group when `companions` go with it, and then " +<companions>" follows its name.
QString statusText(const SortingSession& session, int64_t shownFileSize, int companions = 0);

// What the status bar says for a while after `action` was taken back: the file that came back
// and the folder it came back to, "元に戻しました: a.jpg → /…/写真/"; for a copy, the folder the
// copy left.
QString undoneNote(const Transfer::Result& action);

// `folder` with a final "/", its leading folders given as "…" while it is longer than
// `maxChars`; the last folder's name always stays whole.
QString shortenedFolder(const QString& folder, int maxChars = 40);

// The caption after an update: "Orvane [ folder ]", left as it is when it already ends in
// the folder part or when no folder is open.
QString captionFor(const QString& currentCaption, const QString& currentFolder);
