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
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(overviewPanel_),
                       static_cast<QWidget*>(imageView_), static_cast<QWidget*>(statusLabel_),
                       centralWidget()})
        router->watch(w);
}

void MainWindow::runCommand(Command command, int slot, bool held) {
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
