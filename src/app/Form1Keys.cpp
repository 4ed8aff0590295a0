// The keyboard command map: one translation of Qt's key events, one pair of handlers.
#include <QEvent>
#include <QKeyEvent>

#include "ImageView.h"
#include "Form1.h"
#include "KeyCodes.h"
#include "KeyMap.h"
#include "X11Keyboard.h"

using namespace KeyCodes;

namespace {

// Hands the key events of the window and its controls to Form1's handlers, so each event is
// handled once whichever control has the focus.
class KeyRouter : public QObject {
public:
    explicit KeyRouter(Form1* form) : QObject(form), form_(form) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const quint32 scan = key->nativeScanCode();
        const int code = FromQt(key->key(), scan, key->modifiers(),
                                keyboard_.PageKey(scan, key->nativeModifiers()));
        if (code == 0) return false;  // menus and the like keep their keys
        const int16_t shift = ShiftState(key->modifiers());
        if (event->type() == QEvent::KeyPress) {
            form_->Picture1_KeyDown(code, shift);
        } else if (!key->isAutoRepeat() && !keyboard_.ReleaseWhileHeld(scan)) {
            // A held key's repeats may come with releases of their own (Wayland, an X server
            // without detectable auto-repeat); only the real release counts.
            form_->Picture1_KeyUp(code, shift);
        }
        return true;
    }

private:
    Form1* form_;
    X11Keyboard keyboard_;
};

}  // namespace

void Form1::InstallKeyRouting() {
    auto* router = new KeyRouter(this);
    installEventFilter(router);
    for (QWidget* w : {static_cast<QWidget*>(text1_), static_cast<QWidget*>(display_),
                       static_cast<QWidget*>(bar_), centralWidget()})
        w->installEventFilter(router);
}

void Form1::Picture1_KeyDown(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    keyIsDown_[k] = true;
    const int16_t mode = options().arrowKeyMode;
    const int32_t files = session_.list().count();
    if (k == Shift) {
        SlideKeys[4] = true;
    } else if (k == KeyM) {
        session_.setMoveMode();
    } else if (k == KeyC) {
        session_.setCopyMode();
    } else if (KeyMatches(kNextFile, k, shift, mode, files)) {
        StepToNextFile();
    } else if (KeyMatches(kPreviousFile, k, shift, mode, files)) {
        StepToPreviousFile();
    } else if (KeyMatches(kNextPage, k, shift, mode, files)) {
        session_.nextPage();
    } else if (KeyMatches(kPreviousPage, k, shift, mode, files)) {
        session_.previousPage();
    } else if (KeyMatches(kSlide, k, shift, mode, files)) {
        SlideKeys[k - Left] = true;
        SlideImage();
    }
}

void Form1::Picture1_KeyUp(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    if (k == Shift) SlideKeys[4] = false;
    // A release whose press happened elsewhere (the key that closed a dialog) does nothing.
    if (!keyIsDown_[k]) return;
    const int16_t mode = options().arrowKeyMode;
    const int32_t files = session_.list().count();
    if (k == Delete) {
        DeleteCurrentFile();
    } else if (KeyMatches(kTransfer, k, shift, mode, files)) {
        TransferToSlot(static_cast<int16_t>(SlotDigit(k)));
    } else if (KeyMatches(kOpenSlotFolder, k, shift, mode, files)) {
        session_.openSlotFolder(SlotDigit(k));
    } else if (k == Return) {
        ToggleFullMode();
    } else if (k >= Left && k <= Down) {
        SlideKeys[k - Left] = false;
    } else if (k == KeyL) {
        session_.toggleLock();
    }
    keyIsDown_[k] = false;
}
