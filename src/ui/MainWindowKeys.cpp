// Commands, from the key router and the menus alike.
#include "view/ImageView.h"
#include "ui/KeyRouter.h"
#include "ui/MainWindow.h"
#include "view/PictureLoader.h"

void MainWindow::installKeyRouting() {
    auto* router = new KeyRouter(this, [this] {
        return KeyRouter::Context{options().arrowKeys, session_.list().count()};
    });
    connect(router, &KeyRouter::commanded, this, &MainWindow::runCommand);
    connect(router, &KeyRouter::slid, loader_.get(), &PictureLoader::slide);
    connect(loader_.get(), &PictureLoader::shownLate, this, &MainWindow::runTypedAhead);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(overviewPanel_),
                       static_cast<QWidget*>(imageView_), static_cast<QWidget*>(statusLabel_),
                       centralWidget()})
        router->watch(w);
}

namespace {
// Commands whose effect depends on the file shown (or on what was sent last).
bool actsOnShownFile(Command command) {
    return command == Command::SendToSlot || command == Command::Delete || command == Command::Undo;
}
}  // namespace

void MainWindow::runCommand(Command command, int slot, bool held) {
    // Typed while the view has been emptied for a picture that does not come (a hung network
    // share): what waited for it is let go, and this key acts on what is there now.
    if (!typedAhead_.empty() && typedAheadSince_.hasExpired(PictureLoader::kAwaitedLongMs))
        typedAhead_.clear();
    if (typedAhead_.empty() && !(actsOnShownFile(command) && !loader_->awaiting().isEmpty())) {
        carryOut(command, slot, held);
        return;
    }
    // A held key never piles up work behind the picture awaited.
    if (held) return;
    if (typedAhead_.empty()) typedAheadSince_.start();
    typedAhead_.push_back({command, slot, held});
}

void MainWindow::runTypedAhead() {
    // A question one of them asks runs its own event loop: a picture shown meanwhile does not
    // start the next before the question is answered.
    if (runningTypedAhead_) return;
    runningTypedAhead_ = true;
    while (!typedAhead_.empty() && loader_->awaiting().isEmpty()) {
        const TypedCommand next = typedAhead_.front();
        typedAhead_.pop_front();
        carryOut(next.command, next.slot, next.held);
    }
    runningTypedAhead_ = false;
    // The rest wait for the next picture: the time counts from now.
    typedAheadSince_.start();
}

void MainWindow::carryOut(Command command, int slot, bool held) {
    switch (command) {
        case Command::NextFile: nextFile(held); break;
        case Command::PreviousFile: previousFile(held); break;
        case Command::NextPage: session_.nextPage(); break;
        case Command::PreviousPage: session_.previousPage(); break;
        case Command::SendToSlot: sendToSlot(slot); break;
        case Command::OpenSlot: openSlotFolder(slot); break;
        case Command::Undo: undoLast(); break;
        case Command::ChoosePage: choosePage(); break;
        case Command::Delete: deleteShown(); break;
        case Command::CopyMode: session_.setCopyMode(); break;
        case Command::MoveMode: session_.setMoveMode(); break;
        case Command::Lock: session_.toggleLock(); break;
        case Command::Fit: toggleFitMode(); break;
        case Command::Slide:
        case Command::None: break;
    }
}
