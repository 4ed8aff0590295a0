#pragma once
#include <QString>
#include <QStringList>

#include <vector>

#include "platform/FileSystem.h"
#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "core/TransferPlan.h"
#include "core/TransferQuestions.h"
#include "core/TransferResult.h"
#include "core/Undo.h"

// The shown file and its companions (the option companions) sent, deleted and taken back as
// one group: all of them or none. A group without companions is the single file's action,
// step for step.
namespace Transfer {

struct GroupMember {
    QString source;
    QString destination;
    FileStatus status;      // as the planning looked at it
    bool statusKnown = true;  // false: the look failed; the send looks again
    bool collides = false;  // a regular file has the destination's name
};

struct GroupPlan {
    Plan shown;  // the shown file's plan; its refusal is the group's
    std::vector<GroupMember> companions;
    bool shownCollides = false;
    int collidingCompanions = 0;
    bool ask = false;  // the overwrite question is put once before anything is done
};

// Plans the companions (full paths; those that are no longer regular files, or links to one,
// are left out) after the shown file's `plan`. Each member gets the shown file's new stem with
// its own ending (what follows the shown file's stem in its name: ".CR2", ".JPG.xmp"). A
// renaming slot's number is already free for every member (no name base.* is taken). Else,
// when any member's name is taken: collision mode 2 numbers the group with the first number
// free for every member; 0 asks once, 1 replaces; the same file at both ends is refused.
GroupPlan planGroup(FileSystem& fs, const Plan& plan, const QStringList& companions, const Slot& slot,
                    const Options& options);

// Carries out a group plan: members one by one, the shown file first; if one fails, those
// done are taken back (Transfer::undo) and the result is the failed member's, naming it.
// Done: the shown file's result with the companions' in `companions`.
Result carryOutGroup(FileSystem& fs, TransferQuestions& questions, const GroupPlan& plan, Kind kind,
                     Deletion deletion);

// Deletes `path` and its `companions` (full paths, looked at again) as the options say. A
// direct delete first sets every member aside under a temporary name, so a member that cannot
// go leaves them all in place.
Result deleteGroup(FileSystem& fs, TransferQuestions& questions, const QString& path,
                   const QStringList& companions, const Options& options);

// Takes back a group's action: every member is looked at first (checkUndo), and if any one
// stands in the way nothing is touched and the result names it.
UndoResult undoGroup(FileSystem& fs, const Result& done);

}  // namespace Transfer
