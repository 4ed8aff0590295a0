// The keyboard command map: one translation of Qt's key events, one pair of handlers.
#include <QEvent>
#include <QKeyEvent>

#include "ImageView.h"
#include "MainWindow.h"
#include "PictureLoader.h"
#include "KeyCodes.h"
#include "KeyTable.h"
#include "X11Keyboard.h"

using namespace KeyCodes;

namespace {

// Hands the key events of the window and its controls to MainWindow's handlers, so each event is
// handled once whichever control has the focus.
class KeyRouter : public QObject {
public:
    explicit KeyRouter(MainWindow* form) : QObject(form), form_(form) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const quint32 scan = key->nativeScanCode();
        const int code = FromQt(key->key(), scan, key->modifiers(),
                                keyboard_.PageKey(scan, key->nativeModifiers()));
        if (code == 0) return false;  // menus and the like keep their keys
        const int16_t shift = ShiftState(key->modifiers());
        if (event->type() == QEvent::KeyPress) {
            form_->onKeyPress(code, shift);
        } else if (!key->isAutoRepeat() && !keyboard_.ReleaseWhileHeld(scan)) {
            // A held key's repeats may come with releases of their own (Wayland, an X server
            // without detectable auto-repeat); only the real release counts.
            form_->onKeyRelease(code, shift);
        }
        return true;
    }

private:
    MainWindow* form_;
    X11Keyboard keyboard_;
};

}  // namespace

void MainWindow::installKeyRouting() {
    auto* router = new KeyRouter(this);
    // The loader watches for held keys after the router, so it sees each key event first.
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(overviewPanel_),
                       static_cast<QWidget*>(imageView_), static_cast<QWidget*>(statusLabel_),
                       centralWidget()}) {
        w->installEventFilter(router);
        loader_->watchKeysOf(w);
    }
}

void MainWindow::onKeyPress(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    keyIsDown_[k] = true;
    const int16_t mode = options().arrowKeyMode;
    const int32_t files = session_.list().count();
    if (k == Shift) {
        slideKeys_[4] = true;
    } else if (k == KeyM) {
        session_.setMoveMode();
    } else if (k == KeyC) {
        session_.setCopyMode();
    } else {
        const KeyCommand command = commandFor(k, shift, mode, files);
        if (k == KeyZ) undoPressed_ = command == kUndo;
        switch (command) {
            case kNextFile: nextFile(); break;
            case kPreviousFile: previousFile(); break;
            case kNextPage: session_.nextPage(); break;
            case kPreviousPage: session_.previousPage(); break;
            case kSlide:
                slideKeys_[k - Left] = true;
                loader_->slide(slideKeys_);
                break;
            default: break;
        }
    }
}

void MainWindow::onKeyRelease(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    if (k == Shift) slideKeys_[4] = false;
    // A release whose press happened elsewhere (the key that closed a dialog) does nothing.
    if (!keyIsDown_[k]) return;
    const int16_t mode = options().arrowKeyMode;
    const int32_t files = session_.list().count();
    const KeyCommand command = commandFor(k, shift, mode, files);
    if (k == Delete) {
        deleteShown();
    } else if (command == kTransfer) {
        sendToSlot(static_cast<int16_t>(slotDigit(k)));
    } else if (command == kOpenSlotFolder) {
        openSlotFolder(slotDigit(k));
    } else if (command == kChoosePage) {
        choosePage();
    } else if (k == KeyZ && undoPressed_) {
        undoPressed_ = false;
        undoLast();
    } else if (k == Return) {
        toggleFitMode();
    } else if (k >= Left && k <= Down) {
        slideKeys_[k - Left] = false;
    } else if (k == KeyL) {
        session_.toggleLock();
    }
    keyIsDown_[k] = false;
}
