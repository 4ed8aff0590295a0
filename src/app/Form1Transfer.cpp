// Sending the shown file to a slot's folder, and deleting it.
#include "FileSystem.h"
#include "Form1.h"
#include "Module1.h"
#include "MsgBox.h"
#include "NamePart.h"
#include "SequenceNames.h"

namespace {
// A fixed name or connector that could lead out of the slot's folder is refused where it is
// typed and when it is read; should one arrive by another road, nothing is sent outside.
bool StaysInFolder(MsgBox& msg, const QString& folder, const QString& destination) {
    if (destination.startsWith(folder) && NamePart::IsSingleEntry(destination.mid(folder.size())))
        return true;
    msg.Show(QStringLiteral("転送先の名前が転送先フォルダの外を指しています\n") +
             destination.mid(folder.size()));
    return false;
}

Module1::Deletion DeletionOf(const Options& options) {
    return options.deletesToTrash() ? Module1::Deletion::ToTrash : Module1::Deletion::Directly;
}
}  // namespace

void Form1::TransferToSlot(int16_t d) {
    if (!state_.ImageShown || state_.FileCount <= 0) return;
    // A file just copied to slot d is not copied there again until the mark is cleared.
    if (state_.CopiedFlag && d == state_.CopiedSlot) return;
    if (d < 0 || d >= FolderLibrary::kSlots) return;
    const int32_t page = library_.currentPage();
    if (!library_.hasPage(page)) return;
    const Slot slot = library_.page(page).folderSlots[static_cast<size_t>(d)];
    const Options& options = options_;
    MsgBox& msg = *services_.msgBox;
    FileSystem& fs = *services_.fileSystem;

    const QString name = state_.FileAt(state_.CurrentIndex);
    const QString source = state_.CurrentFolder + name;
    // Its status serves the move's own checks too, so a move asks the disk once before renaming.
    FileStatus sourceStatus;
    FsError sourceError;
    if (!fs.Stat(source, &sourceStatus, &sourceError) || !sourceStatus.isRegular) {
        msg.Show(QStringLiteral("指定の画像ファイルが見当たりません"));
        return;
    }
    const QString slotPath = slot.folder;
    if (slotPath.isEmpty()) {
        msg.Show(QStringLiteral("フォルダパスが設定されていません"));
        return;
    }
    // A path naming a file instead of a folder is as good as a missing folder.
    if (!fs.IsDirectory(slotPath)) {
        msg.Show(QStringLiteral("転送先フォルダが見つかりません"));
        return;
    }
    const QString folder = slotPath.endsWith(QLatin1Char('/')) ? slotPath : slotPath + QLatin1Char('/');

    QString destination = folder;
    bool overwrite = false;
    if (slot.renames()) {
        const int32_t start = options.continueNumbers == 1 ? slot.nextNumber : options.firstNumber;
        QStringList names;
        FsError err;
        fs.ListRegularFiles(folder, &names, &err);
        const QString seqName = slot.fixedName;
        const int32_t n = FreeIndividualNumber(names, seqName, options.connector,
                                               options.numberDigitsChoice, start);
        if (n < 0) {
            msg.Show(QStringLiteral("これ以上は振り分けられません"));
            return;
        }
        destination = folder + IndividualBaseName(seqName, options.connector, n, options.numberDigitsChoice) +
                      (folder + name).right(4);
        if (!StaysInFolder(msg, folder, destination)) return;
        // Stored before the transfer, so a failed one never reuses the number.
        if (options.continueNumbers == 1) library_.page(page).folderSlots[static_cast<size_t>(d)].nextNumber = n + 1;
    } else {
        const QString existing = folder + name;
        if (fs.IsRegularFile(existing)) {
            const int16_t mode = options.collisionMode;
            if ((mode == 0 || mode == 1) && Module1::IsSameFile(fs, source, existing)) {
                msg.Show(Module1::SameFileMessage());
                return;
            }
            if (mode == 0) {
                if (Module1::ConfirmOverwrite(msg, fs, source, existing) == vbNo) return;
                overwrite = true;
                destination = existing;
            } else if (mode == 1) {
                overwrite = true;
                destination = existing;
            } else if (mode == 2) {
                destination = FreeNumberedName(existing.left(existing.size() - 4), existing.right(4),
                                               options.connector, options.numberDigitsChoice,
                                               options.firstNumber,
                                               [&fs](const QString& p) { return fs.IsRegularFile(p); });
                if (destination.isEmpty()) {
                    msg.Show(QStringLiteral("これ以上は振り分けられません"));
                    return;
                }
                if (!StaysInFolder(msg, folder, destination)) return;
            } else {
                msg.Show(QStringLiteral("対応していない上書き対応モードです"));
                return;
            }
        } else {
            destination = existing;  // already built: the copy or move need not build it again
        }
    }

    const bool copy = state_.TransferMode != 0;
    bool done;
    if (overwrite)
        done = Module1::OverwriteTransfer(msg, fs, copy ? Module1::TransferKind::Copy : Module1::TransferKind::Move,
                                          source, destination, DeletionOf(options_));
    else if (copy)
        // No collision was found, so none may be created silently by a file that appeared
        // since: the copy never replaces here.
        done = Module1::CopyToFolder(msg, fs, source, destination, false);
    else
        done = Module1::MoveToFolder(msg, fs, source, destination, &sourceStatus);
    if (!done) return;

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
    MsgBox& msg = *services_.msgBox;
    if (options_.confirmDelete == 1 &&
        msg.Show(target + QStringLiteral("を削除しますか？"), QStringLiteral("Orvane"),
                 MsgButtons::OkCancel, vbCancel) != vbOK)
        return;
    if (!Module1::RemoveFile(msg, *services_.fileSystem, target, DeletionOf(options_))) return;
    RemoveCurrentFromList();
    if (state_.FileCount == 0) LoadImageFile(QString());
    state_.CopiedFlag = false;
    UpdateStatusBar();
}
