#pragma once
#include <QString>

#include "platform/FileSystem.h"
#include "core/Options.h"
#include "core/TransferPlan.h"
#include "core/TransferQuestions.h"
#include "core/TransferResult.h"

// Carrying out transfers and deletes through FileSystem, with the CD-ROM refusals. Every
// operation returns what it did or why not (TransferResult.h) and shows nothing.
namespace Transfer {

// Whether `path` is on a CD-ROM (`status`: what Stat just said of it, if anything).
bool onCdRom(FileSystem& fs, const QString& path, const FileStatus* status = nullptr);
// Refusals of copying to, or moving from and to, a CD-ROM: the first that applies, or None.
Refusal mediaRefusal(FileSystem& fs, Kind kind, const QString& source, const QString& destination);

// Carries out `plan` by copy or move: a refused plan comes back as its refusal; Ask puts the
// overwrite question (both files looked up first: a failure to is TransferFailed, a No is
// Declined); Ask and Replace then overwrite, a free destination is copied without replacing
// or moved with the plan's look at the source. A result that is not done names the source and
// the destination (noteFailure) for its message.
Result carryOut(FileSystem& fs, TransferQuestions& questions, const Plan& plan, Kind kind,
                Deletion deletion);

// Deletes the regular file `path` as the options say: asks first when they want it (a No is
// Declined), then remove(); a failure names `path` as its source.
Result deleteFile(FileSystem& fs, TransferQuestions& questions, const QString& path,
                  const Options& options);

// `destination` + the source's own name when `destination` ends in "/", else `destination`.
QString resolveDestination(const QString& source, const QString& destination);

// Copies the regular file `source` to `destination` (a folder ending in "/", keeping the
// source's name, or a full file path). Copying to a CD-ROM is refused (the source's drive is
// not checked). The copy keeps mtime and mode where allowed and goes in under a temporary name,
// so a failure leaves the destination as it was and no partial file. With `replace` false a
// file at the destination is never replaced, even one that appeared after the caller's checks:
// the copy then fails.
Result copy(FileSystem& fs, const QString& source, const QString& destination, bool replace = true);

// Moves the regular file `source` to `destination` (folder ending in "/" or full path), never
// replacing an existing file. A symbolic link to a regular file moves as a link, made anew at
// the destination with its relative target rewritten so it reaches the same file (across file
// systems too), the old link removed last. Refused, in this order: source on a CD-ROM, destination on a
// CD-ROM. Across file systems the source is removed only after a complete, fsynced copy, and
// only if it did not change meanwhile: else the copy goes. A failure leaves the source in place
// and nothing new anywhere.
// `sourceStatus`: the status of `source` the caller has just taken, so the move does not ask
// again; null makes the move take it.
Result move(FileSystem& fs, const QString& source, const QString& destination,
            const FileStatus* sourceStatus = nullptr);

// Deletes the regular file `path`: to the trash or unlinked, as `deletion` says. A file on a
// CD-ROM is refused. A failed trash never falls back to a permanent delete.
Result remove(FileSystem& fs, const QString& path, Deletion deletion);

// True when `a` and `b` both exist and are the same file (same device and inode), e.g. a slot
// folder that is the open folder. Such a transfer must not remove the "old" destination.
bool isSameFile(FileSystem& fs, const QString& a, const QString& b);

// Replaces the existing regular file `destination` (a full path) by `source`, copied or moved.
// Refused first: the media checks of copy / move, a destination that is the source itself, and
// (deleting to the trash) an old destination the trash does not take: known before anything is
// touched. Then, in this order: the new file is made ready in the destination's folder under a
// temporary name (a second hard link of a moved source, a link made anew for a moved symbolic
// link, else a complete copy); the old destination goes to the trash, or (deleting directly)
// is kept under a temporary name; the new file takes the name; a moved source is removed, last,
// if it is still the file it was; an old destination kept aside is removed. A failure at any
// step puts everything back: the source and the old destination as they were, same inode, same
// links, and no temporary left (`step` names the step; only an old destination the trash will
// not give back stays there, `oldLeftInTrash`).
Result overwrite(FileSystem& fs, Kind kind, const QString& source, const QString& destination,
                 Deletion deletion);

}  // namespace Transfer
