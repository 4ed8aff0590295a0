#include "core/TransferGroup.h"

#include <cerrno>

#include "core/FailureReasons.h"
#include "core/SequenceNames.h"
#include "core/Transfer.h"

namespace Transfer {

namespace {

// What follows the shown file's stem in a member's name: ".CR2", ".xmp", ".JPG.xmp".
QString endingAfterStem(const QString& shownName, const QString& memberName) {
    return memberName.mid(shownName.size() - keptEnding(shownName).size());
}

// Whether the companion `m` goes with the group: a regular file or a link to one (a folder or a
// pipe of the same stem stays). One the disk would not say anything about goes too, unknown,
// so the send looks at it again and fails the group rather than leave it behind.
bool keepsMember(FileSystem& fs, GroupMember* m) {
    FsError e;
    if (fs.stat(m->source, &m->status, &e)) return m->status.isRegular;
    m->statusKnown = false;
    return e.code != ENOENT && e.code != ENOTDIR;
}

// The members' destinations for the shown file going to `shownDestination`.
void placeMembers(FileSystem& fs, GroupPlan& group, const QString& shownDestination, bool lookForCollisions) {
    const QString shownName = FsPath::nameOf(group.shown.source);
    // Sent under its own name, the shown file takes its companions under theirs.
    const bool ownNames = FsPath::nameOf(shownDestination) == shownName;
    const QString folder = FsPath::withSlash(FsPath::folderOf(shownDestination));
    const QString newStem = shownDestination.left(shownDestination.size() - keptEnding(shownName).size());
    group.collidingCompanions = 0;
    for (GroupMember& m : group.companions) {
        const QString name = FsPath::nameOf(m.source);
        m.destination = ownNames ? folder + name : newStem + endingAfterStem(shownName, name);
        m.collides = lookForCollisions && fs.isRegularFile(m.destination);
        if (m.collides) ++group.collidingCompanions;
    }
}

}  // namespace

GroupPlan planGroup(FileSystem& fs, const Plan& plan, const QStringList& companions, const Slot& slot,
                    const Options& options) {
    GroupPlan group;
    group.shown = plan;
    group.shownCollides = plan.collision != Collision::None;
    group.ask = plan.collision == Collision::Ask;
    if (!plan.ok() || companions.isEmpty()) return group;
    for (const QString& path : companions) {
        GroupMember m;
        m.source = path;
        if (keepsMember(fs, &m)) group.companions.push_back(m);
    }
    if (group.companions.empty()) return group;
    // A renaming slot's number was chosen so that no name base.* is taken: free for all.
    const bool plainName = !slot.renames();
    placeMembers(fs, group, plan.destination, plainName);
    if (!plainName || group.collidingCompanions == 0) return group;

    const CollisionMode mode = options.collisionMode;
    if (mode == CollisionMode::Number) {
        // One number free for every member: the shown file's own numbering looked at it alone.
        const QString shownName = FsPath::nameOf(plan.source);
        const QString ending = keptEnding(shownName);
        const QString stem = FsPath::withSlash(FsPath::folderOf(plan.destination)) +
                             shownName.left(shownName.size() - ending.size());
        GroupPlan trial = group;
        const QString destination = freeNumberedName(
            stem, ending, options.connector, options.numberDigits, options.firstNumber,
            [&](const QString& candidate) {
                if (fs.isRegularFile(candidate)) return true;
                placeMembers(fs, trial, candidate, true);
                return trial.collidingCompanions > 0;
            });
        if (destination.isEmpty()) {
            group.shown.refusal = Refusal::NoFreeNumber;
            return group;
        }
        group.shown.destination = destination;
        group.shown.collision = Collision::None;
        group.shownCollides = false;
        placeMembers(fs, group, destination, true);
        return group;
    }
    if (mode == CollisionMode::Unsupported) {
        group.shown.refusal = Refusal::UnsupportedCollisionMode;
        return group;
    }
    for (const GroupMember& m : group.companions)
        if (m.collides && isSameFile(fs, m.source, m.destination)) {
            group.shown.refusal = Refusal::SameFile;
            return group;
        }
    group.ask = mode == CollisionMode::Ask;
    return group;
}

namespace {

// One member's part: an overwrite where its name is taken, else a copy that never replaces or
// the move with the planning's look at the source. After a question the user took time over,
// that look no longer says whether the name is a link: the move looks at the name again.
Result sendMember(FileSystem& fs, const GroupMember& m, Kind kind, Deletion deletion, bool asked) {
    if (m.collides) return overwrite(fs, kind, m.source, m.destination, deletion);
    if (kind == Kind::Copy) return copy(fs, m.source, m.destination, false);
    if (!m.statusKnown) return move(fs, m.source, m.destination);
    if (!asked) return move(fs, m.source, m.destination, &m.status);
    FileStatus looked = m.status;
    looked.pathLink = FileStatus::PathLink::Unknown;
    return move(fs, m.source, m.destination, &looked);
}

// Takes back the members done before a failure, the latest first; those that will not come
// back are named in the failure.
void takeBack(FileSystem& fs, std::vector<Result>& done, Result* failure) {
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        const UndoResult back = undo(fs, *it);
        if (!back.done()) failure->strandedMembers << (it->destination.isEmpty() ? it->source : it->destination);
    }
}

}  // namespace

Result carryOutGroup(FileSystem& fs, TransferQuestions& questions, const GroupPlan& group, Kind kind,
                     Deletion deletion) {
    if (group.companions.empty() || !group.shown.ok()) return carryOut(fs, questions, group.shown, kind, deletion);
    if (group.ask) {
        FileStatus source, destination;
        FsError e;
        Result failed = Result::failed(Refusal::TransferFailed, e);
        if (!fs.stat(group.shown.source, &source, &e) ||
            (group.shownCollides && !fs.stat(group.shown.destination, &destination, &e))) {
            failed.error = e;
            noteFailure(fs, group.shown, kind, &failed);
            return failed;
        }
        if (!questions.confirmGroupOverwrite(FsPath::nameOf(group.shown.source), source,
                                             group.shownCollides ? &destination : nullptr, group.collidingCompanions))
            return Result::refused(Refusal::Declined);
    }
    GroupMember shown;
    shown.source = group.shown.source;
    shown.destination = group.shown.destination;
    shown.status = group.shown.sourceStatus;
    shown.collides = group.shownCollides;
    // The shown file's result takes its companions' as they are sent: no list to copy at the end.
    Result result;
    for (size_t i = 0; i <= group.companions.size(); ++i) {
        const GroupMember& m = i == 0 ? shown : group.companions[i - 1];
        Result r = sendMember(fs, m, kind, deletion, group.ask);
        if (r.done()) {
            if (i > 0) {
                result.companions.push_back(std::move(r));
                continue;
            }
            result = std::move(r);
            result.companions.reserve(group.companions.size());
            continue;
        }
        // The message names the member that failed, with its own source and destination.
        Plan memberPlan = group.shown;
        memberPlan.source = m.source;
        memberPlan.destination = m.destination;
        memberPlan.sourceStatus = m.status;
        noteFailure(fs, memberPlan, kind, &r);
        std::vector<Result> done;
        if (i > 0) {
            done = std::move(result.companions);
            done.insert(done.begin(), std::move(result));
        }
        takeBack(fs, done, &r);
        return r;
    }
    return result;
}

namespace {

// A direct delete of a group: every member set aside under a temporary name first, so one that
// cannot go leaves all of them in place; then the temporaries are removed.
Result deleteDirectly(FileSystem& fs, const std::vector<GroupMember>& members) {
    std::vector<QString> aside;
    Result failure;
    for (const GroupMember& m : members) {
        const QString folder = FsPath::withSlash(FsPath::folderOf(m.source));
        FsError e;
        QString temporary;
        bool moved = false;
        for (int attempt = 0; attempt < 8 && !moved; ++attempt) {
            temporary = fs.newTemporaryPath(folder, FileSystem::TemporaryRole::Replaced, FsPath::nameOf(m.source));
            moved = fs.renameNoReplace(m.source, temporary, &e);
            if (!moved && e.code != EEXIST) break;
        }
        if (!moved) {
            failure = Result::failed(Refusal::DeleteFailed, e);
            failure.source = m.source;
            for (size_t i = 0; i < aside.size(); ++i) {
                FsError ignored;
                if (!fs.renameNoReplace(aside[i], members[i].source, &ignored)) failure.strandedMembers << aside[i];
            }
            return failure;
        }
        aside.push_back(temporary);
    }
    std::vector<Result> done;
    QString leftover;
    FsError leftoverError;
    for (size_t i = 0; i < members.size(); ++i) {
        FsError e;
        // The names are gone already; a temporary that stays is told, as an overwrite's is.
        if (!fs.unlink(aside[i], &e) && leftover.isEmpty()) {
            leftover = aside[i];
            leftoverError = e;
        }
        Result r = Result::made(Action::Deleted, members[i].source, QString());
        r.sourceStatus = members[i].status;
        done.push_back(std::move(r));
    }
    done.front().leftover = leftover;
    done.front().leftoverError = leftoverError;
    Result result = std::move(done.front());
    result.companions.assign(std::make_move_iterator(done.begin() + 1), std::make_move_iterator(done.end()));
    return result;
}

}  // namespace

Result deleteGroup(FileSystem& fs, TransferQuestions& questions, const QString& path, const QStringList& companions,
                   const Options& options) {
    std::vector<GroupMember> members(1);
    members[0].source = path;
    for (const QString& c : companions) {
        GroupMember m;
        m.source = c;
        if (keepsMember(fs, &m)) members.push_back(m);
    }
    if (members.size() == 1) return deleteFile(fs, questions, path, options);
    const int count = int(members.size()) - 1;
    if (options.confirmDelete && !questions.confirmGroupDelete(path, count))
        return Result::refused(Refusal::Declined);
    const Deletion deletion = deletionOf(options);
    if (deletion == Deletion::Directly) {
        if (onCdRom(fs, path)) return Result::refused(Refusal::DeleteOnCdRom);
        FsError e;
        FileStatus st;
        if (!fs.stat(path, &st, &e) || !st.isRegular) {
            Result r = Result::failed(Refusal::DeleteFailed, e.code ? e : FsPath::notRegularError(st));
            r.source = path;
            return r;
        }
        members[0].status = st;
        return deleteDirectly(fs, members);
    }
    std::vector<Result> done;
    for (const GroupMember& m : members) {
        Result r = remove(fs, m.source, Deletion::ToTrash);
        if (!r.done()) {
            r.source = m.source;
            takeBack(fs, done, &r);
            return r;
        }
        done.push_back(std::move(r));
    }
    Result result = std::move(done.front());
    result.companions.assign(std::make_move_iterator(done.begin() + 1), std::make_move_iterator(done.end()));
    return result;
}

UndoResult undoGroup(FileSystem& fs, const Result& done) {
    if (done.companions.empty()) return undo(fs, done);
    std::vector<const Result*> members{&done};
    for (const Result& c : done.companions) members.push_back(&c);
    for (const Result* m : members) {
        const UndoResult check = checkUndo(fs, *m);
        if (!check.done()) return check;
    }
    UndoResult first;
    for (size_t i = 0; i < members.size(); ++i) {
        UndoResult u = undo(fs, *members[i]);
        if (i == 0) first = u;
        if (u.done()) continue;
        // A failing disk after every member was found in place: the moves taken back so far
        // go forward again, so the group stays whole where the action left it.
        for (size_t j = 0; j < i; ++j) {
            const Result& m = *members[j];
            if (m.action == Action::Moved) move(fs, m.source, m.destination);
        }
        u.backAtSource = u.goneFromDestination = false;
        return u;
    }
    return first;
}

}  // namespace Transfer
