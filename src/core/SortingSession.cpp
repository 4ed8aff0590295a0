#include "core/SortingSession.h"

#include <QDir>

#include "platform/FileSystem.h"
#include "platform/ImageNames.h"
#include "core/Transfer.h"
#include "core/TransferGroup.h"

namespace {
// Relative paths name places under the working directory (the program's directory); the list
// and its comparisons work on absolute ones.
QString absolute(const QString& path) {
    return path.startsWith(QLatin1Char('/')) ? path : QDir::current().absoluteFilePath(path);
}

// Whether the file `path` lies in `folder`, both taken as clean absolute paths: a slot's folder
// may be written "dst", "./dst/" or "/a/../dst".
bool liesIn(const QString& path, const QString& folder) {
    return QDir::cleanPath(absolute(FsPath::folderOf(path))) == QDir::cleanPath(absolute(folder));
}
}  // namespace

SortingSession::SortingSession(FileSystem* fileSystem, QObject* parent)
    : QObject(parent), fs_(fileSystem) {}

QString SortingSession::copiedSlotTitle() const {
    if (!copied_ || !library_.hasPage(library_.currentPage()) || copiedSlot_ < 0 ||
        copiedSlot_ >= FolderLibrary::kSlots)
        return QString();
    return library_.current().folderSlots[static_cast<size_t>(copiedSlot_)].title;
}

void SortingSession::resetModes(bool pngPluginAvailable) {
    copied_ = false;
    copiedSlot_ = 0;
    locked_ = false;
    overviewRow_ = 3;
    pngPlugin_ = pngPluginAvailable;
}

QStringList SortingSession::takeCompanions(const QStringList& names) {
    companions_.clear();
    if (!options_.companions) return names;
    // One list came for both: the pictures, and the names companions may have.
    QStringList pictures;
    QStringList others;
    for (const QString& name : names) {
        if (ImageNames::isListed(name, pngPlugin_, options_.extraFormats)) pictures << name;
        if (ImageNames::isCompanionName(name)) others << name;
    }
    companions_.assign(others);
    return pictures;
}

QString SortingSession::folderToList(const QString& path) {
    return path.isEmpty() ? QString() : FsPath::withSlash(absolute(path));
}

QString SortingSession::folderToListFor(const QString& file) const {
    if (file.isEmpty() || !ImageNames::isOpenable(file, pngPlugin_, options_.extraFormats)) return QString();
    return FsPath::withSlash(FsPath::folderOf(absolute(file)));
}

QString SortingSession::slotFolder(int slot) const {
    if (!library_.hasPage(library_.currentPage()) || slot < 0 || slot >= FolderLibrary::kSlots)
        return QString();
    return library_.current().folderSlots[static_cast<size_t>(slot)].folder;
}

void SortingSession::openListedFolder(const QString& folder, const QStringList& names, const QString& file) {
    list_.assign(FsPath::withSlash(folder), takeCompanions(names));
    const int32_t position = file.isEmpty() ? 0 : list_.find(absolute(file));
    if (position == 0) {
        // Not in the list: the first entry, as opening the folder shows, so the position
        // always names a listed file.
        showFirst();
        return;
    }
    list_.setPosition(position);
    showAnother();
}

void SortingSession::takeRelisted(const QStringList& names) {
    if (list_.folder().isEmpty()) return;
    const QString shown = list_.shownPath();
    list_.assign(list_.folder(), takeCompanions(names));
    const int32_t position = shown.isEmpty() ? 0 : list_.find(shown);
    if (position == 0) {
        showFirst();
        return;
    }
    // The same picture stays on screen: only the position and the count are new.
    list_.setPosition(position);
    emit statusChanged();
}

void SortingSession::showFirst() {
    if (list_.count() > 0) {
        list_.setPosition(1);
    } else {
        list_.setPosition(0);
        imageShown_ = false;
    }
    showAnother();
}

bool SortingSession::clearCopied() {
    if (!copied_) return false;
    copied_ = false;
    return true;
}

void SortingSession::nextFile() { stepFile(+1); }
void SortingSession::previousFile() { stepFile(-1); }

void SortingSession::stepFile(int direction) {
    if (list_.count() <= 0) return;
    if (clearCopied()) emit statusChanged();
    list_.step(direction);
    showAnother();
    if (imageShown_) emit statusChanged();
}

void SortingSession::nextPage() { stepPage(+1); }
void SortingSession::previousPage() { stepPage(-1); }

void SortingSession::goToPage(int page) {
    if (!library_.hasPage(page)) return;
    if (clearCopied()) emit statusChanged();
    library_.selectPage(page);
    emit pageChanged();
}

void SortingSession::stepPage(int direction) {
    if (clearCopied()) emit statusChanged();
    library_.stepPage(direction);
    if (direction > 0 && overviewRow_ < 7) ++overviewRow_;
    if (direction < 0 && overviewRow_ > 2) --overviewRow_;
    emit pageChanged();
}

void SortingSession::sendToSlot(int d, TransferQuestions& questions) {
    if (locked_ || !imageShown_ || list_.count() <= 0) return;
    if (copied_ && d == copiedSlot_) return;
    if (d < 0 || d >= FolderLibrary::kSlots || !library_.hasPage(library_.currentPage())) return;
    Slot& slot = library_.current().folderSlots[static_cast<size_t>(d)];

    const Transfer::GroupPlan group = Transfer::planGroup(
        *fs_, Transfer::makePlan(*fs_, list_.folder(), list_.shownName(), slot, options_), shownCompanions(), slot,
        options_);
    const Transfer::Plan& plan = group.shown;
    std::optional<History::Number> number;
    if (plan.nextNumber)
        number = History::Number{library_.currentPage(), d, slot.folder, slot.nextNumber, *plan.nextNumber};
    // Stored before the transfer, so a failed one never reuses the number.
    if (plan.nextNumber) slot.nextNumber = *plan.nextNumber;
    const bool copy = copyMode_;
    const Transfer::Result result =
        Transfer::carryOutGroup(*fs_, questions, group, copy ? Transfer::Kind::Copy : Transfer::Kind::Move,
                                Transfer::deletionOf(options_));
    fs_->settleTemporaries();
    emit resultReady(result);
    if (!result.done()) return;
    history_.push({result, number});
    if (copy) {
        copied_ = true;
        copiedSlot_ = d;
    } else {
        dropCompanions(result);
        // The entry that followed takes the moved one's place and is shown.
        removeShown();
    }
    emit statusChanged();
}

void SortingSession::deleteShown(TransferQuestions& questions) {
    if (locked_ || list_.count() <= 0) return;
    const QString target = list_.shownPath();
    if (target.isEmpty()) return;
    const Transfer::Result result = Transfer::deleteGroup(*fs_, questions, target, shownCompanions(), options_);
    emit resultReady(result);
    if (!result.done()) return;
    history_.push({result, std::nullopt});
    dropCompanions(result);
    removeShown();
    copied_ = false;
    emit statusChanged();
}

void SortingSession::undoLast() {
    if (locked_ || history_.empty()) return;
    const History::Entry entry = history_.last();
    Transfer::UndoResult undone = Transfer::undoGroup(*fs_, entry.done);
    fs_->settleTemporaries();
    // What the user can mend stays to be tried again, once: a second failure in a row sets the
    // action aside, so it never stands in front of the ones before it.
    if (!undone.keepsAction()) {
        history_.dropLast();
    } else if (history_.noteFailedUndo() >= 2) {
        history_.dropLast();
        undone.setAside = true;
    }
    // The slot's number steps back once the numbered name is free again.
    if (undone.goneFromDestination && entry.number) {
        const History::Number& n = *entry.number;
        if (library_.hasPage(n.page)) {
            Slot& slot = library_.page(n.page).folderSlots[static_cast<size_t>(n.slot)];
            if (slot.folder == n.folder && slot.nextNumber == n.after) slot.nextNumber = n.before;
        }
    }
    emit undoReady(undone, entry.done);
    settleListAfterUndo(entry.done, undone);
    emit statusChanged();
    if (undone.done()) emit actionUndone(entry.done);
}

void SortingSession::settleListAfterUndo(const Transfer::Result& done, const Transfer::UndoResult& undone) {
    const bool copy = done.action == Transfer::Action::Copied || done.action == Transfer::Action::CopiedOver;
    if (copy && undone.goneFromDestination) copied_ = false;
    const QString shownFolder = list_.folder();
    bool showAnew = false;
    if (undone.done()) {
        // The companions came back with the shown file (or left the destination with it).
        for (const Transfer::Result& c : done.companions) {
            const QString name = FsPath::nameOf(c.source);
            const bool left = c.action != Transfer::Action::Copied && c.action != Transfer::Action::CopiedOver;
            const bool nameFreed = c.action == Transfer::Action::Copied || c.action == Transfer::Action::Moved;
            if (nameFreed && liesIn(c.destination, shownFolder)) {
                const QString there = FsPath::nameOf(c.destination);
                companions_.remove(there);
                showAnew = list_.removeName(there) || showAnew;
            }
            if (left && liesIn(c.source, shownFolder)) {
                companions_.add(name);
                if (ImageNames::isListed(name, pngPlugin_, options_.extraFormats)) list_.insertAndShow(name);
            }
        }
    }
    if (undone.goneFromDestination && liesIn(done.destination, shownFolder)) {
        const QString name = FsPath::nameOf(done.destination);
        // A replaced file that came back has the name again.
        const bool refilled = undone.done() && done.action != Transfer::Action::Copied &&
                              done.action != Transfer::Action::Moved;
        if (refilled)
            showAnew = list_.shownName() == name;
        else
            showAnew = list_.removeName(name);
        if (list_.count() == 0) imageShown_ = false;
    }
    if (undone.backAtSource && liesIn(done.source, shownFolder)) {
        list_.insertAndShow(FsPath::nameOf(done.source));
        showAnew = true;
    }
    if (showAnew) showAnother();
}

QStringList SortingSession::shownCompanions() const {
    QStringList paths;
    if (!options_.companions) return paths;
    for (const QString& name : companions_.of(list_.shownName())) paths << list_.folder() + name;
    return paths;
}

void SortingSession::dropCompanions(const Transfer::Result& done) {
    for (const Transfer::Result& c : done.companions) {
        if (c.action == Transfer::Action::Copied || c.action == Transfer::Action::CopiedOver) continue;
        const QString name = FsPath::nameOf(c.source);
        companions_.remove(name);
        // Never the shown entry (a companion has another name): the shown one stays shown.
        list_.removeName(name);
    }
}

void SortingSession::removeShown() {
    const bool removed = list_.removeShown();
    if (list_.count() == 0) imageShown_ = false;
    if (removed || list_.count() == 0) showAnother();
}

void SortingSession::setMoveMode() {
    copied_ = false;
    copyMode_ = false;
    emit statusChanged();
}

void SortingSession::setCopyMode() {
    copyMode_ = true;
    emit statusChanged();
}

void SortingSession::toggleLock() {
    locked_ = !locked_;
    emit statusChanged();
}

void SortingSession::toggleFitMode() {
    options_.fitToView = !options_.fitToView;
    emit fitModeChanged();
}

void SortingSession::markCopied(int slot) {
    copied_ = true;
    copiedSlot_ = slot;
}

void SortingSession::showAnother() {
    // Nothing counts as shown until the viewer answers for this file: a digit pressed
    // meanwhile sends nothing.
    imageShown_ = false;
    if (!list_.shownPath().isEmpty()) copied_ = false;
    emit shownFileChanged();
}

void SortingSession::pictureShown(const QString& path) {
    if (path != list_.shownPath()) return;  // late, for a file no longer shown
    imageShown_ = true;
    copied_ = false;
}

void SortingSession::pictureFailed(const QString& path) {
    if (path != list_.shownPath()) return;
    imageShown_ = false;
    copied_ = false;
}
