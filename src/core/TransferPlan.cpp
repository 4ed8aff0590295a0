#include "core/TransferPlan.h"

#include "core/NamePart.h"
#include "core/SequenceNames.h"
#include "core/Transfer.h"

namespace Transfer {

namespace {
Plan refused(Plan plan, Refusal why) {
    plan.refusal = why;
    return plan;
}

// A fixed name or connector that could lead out of the slot's folder is refused where it is
// typed and when it is read; should one arrive by another road, nothing is sent outside.
bool staysInFolder(const QString& folder, const QString& destination) {
    return destination.startsWith(folder) && NamePart::isSingleEntry(destination.mid(folder.size()));
}

Plan leavesFolder(Plan plan, const QString& folder) {
    plan.outsideName = plan.destination.mid(folder.size());
    return refused(plan, Refusal::NameLeavesFolder);
}
}  // namespace

Plan makePlan(FileSystem& fs, const QString& sourceFolder, const QString& name, const Slot& slot,
              const Options& options) {
    Plan plan;
    plan.source = sourceFolder + name;
    plan.slotFolder = slot.folder;
    // Its status serves the move's own checks too, so a move asks the disk once before renaming.
    FsError sourceError;
    if (!fs.stat(plan.source, &plan.sourceStatus, &sourceError) || !plan.sourceStatus.isRegular)
        return refused(plan, Refusal::SourceMissing);
    const QString& slotPath = slot.folder;
    if (slotPath.isEmpty()) return refused(plan, Refusal::NoFolderSet);
    // A path naming a file instead of a folder is as good as a missing folder.
    if (!fs.isDirectory(slotPath)) return refused(plan, Refusal::FolderNotFound);
    const QString folder = FsPath::withSlash(slotPath);

    if (slot.renames()) {
        const int32_t start = options.continueNumbers ? slot.nextNumber : options.firstNumber;
        QStringList names;
        FsError err;
        fs.listRegularFiles(folder, &names, &err);
        const int32_t n = freeIndividualNumber(names, slot.fixedName, options.connector,
                                               options.numberDigits, start);
        if (n < 0) return refused(plan, Refusal::NoFreeNumber);
        plan.destination = folder +
                           individualBaseName(slot.fixedName, options.connector, n, options.numberDigits) +
                           keptEnding(name);
        if (!staysInFolder(folder, plan.destination)) return leavesFolder(plan, folder);
        if (options.continueNumbers) plan.nextNumber = n + 1;
        return plan;
    }

    plan.destination = folder + name;
    if (!fs.isRegularFile(plan.destination)) return plan;
    const CollisionMode mode = options.collisionMode;
    if ((mode == CollisionMode::Ask || mode == CollisionMode::Replace) &&
        isSameFile(fs, plan.source, plan.destination))
        return refused(plan, Refusal::SameFile);
    switch (mode) {
        case CollisionMode::Ask:
            plan.collision = Collision::Ask;
            break;
        case CollisionMode::Replace:
            plan.collision = Collision::Replace;
            break;
        case CollisionMode::Number: {
            const QString existing = plan.destination;
            const QString ending = keptEnding(name);
            plan.destination = freeNumberedName(existing.left(existing.size() - ending.size()), ending,
                                                options.connector, options.numberDigits, options.firstNumber,
                                                [&fs](const QString& p) { return fs.isRegularFile(p); });
            if (plan.destination.isEmpty()) return refused(plan, Refusal::NoFreeNumber);
            if (!staysInFolder(folder, plan.destination)) return leavesFolder(plan, folder);
            break;
        }
        case CollisionMode::Unsupported:
            return refused(plan, Refusal::UnsupportedCollisionMode);
    }
    return plan;
}

}  // namespace Transfer
