#pragma once
#include <QString>

#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"
#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "core/TransferResult.h"

namespace Transfer {

// What to do about a file of the same name in the slot's folder.
enum class Collision {
    None,     // the destination is free (a numbered or renamed one included)
    Ask,      // ask, then replace the existing destination
    Replace,  // replace it without asking
};

// Where a file goes when sent to a slot, and how; or why it cannot go.
struct Plan {
    Refusal refusal = Refusal::None;  // planning refusals only
    QString outsideName;              // NameLeavesFolder: the name past the folder
    QString source;
    QString slotFolder;       // the slot's folder as set (named when it is missing)
    FileStatus sourceStatus;  // as looked up by the planning: the move need not look again
    QString destination;      // a full path inside the slot's folder
    Collision collision = Collision::None;
    // The number the slot continues from next time, to be stored before the transfer so a
    // failed one never reuses it; empty when nothing is to be stored.
    std::optional<int32_t> nextNumber;

    bool ok() const { return refusal == Refusal::None; }
};

// Plans sending the regular file `sourceFolder` + `name` to `slot` under `options`, looking at
// the disk through `fs` (reads only). Checks, in order: the source is a regular file, the slot
// has a folder, that folder is one. A renaming slot gives fixed name + connector + the first
// free number (from the slot's next number when numbers continue, else from the first number)
// + the name's ending (keptEnding). Otherwise the source's own name; when a regular file
// has it, the collision mode says: 0 ask, 1 replace (both refused when it is the source
// itself), 2 the first free stem + connector + number + ending; any other mode is refused.
Plan makePlan(FileSystem& fs, const QString& sourceFolder, const QString& name, const Slot& slot,
              const Options& options);

}  // namespace Transfer
