// Sending the shown file to a slot's folder, and deleting it: planned and carried out by the
// core, asked through message boxes, the outcome shown from its result.
#include "FileSystem.h"
#include "Form1.h"
#include "MsgBox.h"
#include "QuestionBoxes.h"
#include "Transfer.h"
#include "TransferMessages.h"

namespace {
// Shows what the result has to say, if anything; true when the transfer or delete was made.
bool Report(MsgBox& msg, const Transfer::Result& result) {
    const QString text = Transfer::messageFor(result);
    if (!text.isEmpty()) msg.Show(text);
    return result.done();
}
}  // namespace

void Form1::TransferToSlot(int16_t d) {
    if (!state_.ImageShown || state_.FileCount <= 0) return;
    // A file just copied to slot d is not copied there again until the mark is cleared.
    if (state_.CopiedFlag && d == state_.CopiedSlot) return;
    if (d < 0 || d >= FolderLibrary::kSlots) return;
    const int32_t page = library_.currentPage();
    if (!library_.hasPage(page)) return;
    Slot& slot = library_.page(page).folderSlots[static_cast<size_t>(d)];
    FileSystem& fs = *services_.fileSystem;

    const Transfer::Plan plan =
        Transfer::makePlan(fs, state_.CurrentFolder, state_.FileAt(state_.CurrentIndex), slot, options_);
    // Stored before the transfer, so a failed one never reuses the number.
    if (plan.nextNumber) slot.nextNumber = *plan.nextNumber;
    const bool copy = state_.TransferMode != 0;
    QuestionBoxes questions(*services_.msgBox);
    const Transfer::Result result =
        Transfer::carryOut(fs, questions, plan, copy ? Transfer::Kind::Copy : Transfer::Kind::Move,
                           Transfer::deletionOf(options_));
    if (!Report(*services_.msgBox, result)) return;

    if (copy) {
        state_.CopiedFlag = true;
        state_.CopiedSlot = d;
    } else {
        // The entry that followed takes the moved one's place and is shown.
        RemoveCurrentFromList();
        if (state_.FileCount == 0) LoadImageFile(QString());
    }
    UpdateStatusBar();
}

void Form1::DeleteCurrentFile() {
    if (state_.TransferLocked || state_.FileCount <= 0) return;
    const QString target = state_.CurrentPath();
    if (target.isEmpty()) return;
    QuestionBoxes questions(*services_.msgBox);
    if (!Report(*services_.msgBox,
                Transfer::deleteFile(*services_.fileSystem, questions, target, options_)))
        return;
    RemoveCurrentFromList();
    if (state_.FileCount == 0) LoadImageFile(QString());
    state_.CopiedFlag = false;
    UpdateStatusBar();
}
