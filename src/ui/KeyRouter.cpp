#include "KeyRouter.h"

#include <QEvent>
#include <QKeyEvent>

#include "KeyCodes.h"
#include "KeyTable.h"
#include "MainWindow.h"
#include "PictureLoader.h"
#include "X11Keyboard.h"

using namespace KeyCodes;

KeyRouter::KeyRouter(MainWindow& window)
    : QObject(&window), window_(window), keyboard_(std::make_unique<X11Keyboard>()) {}

KeyRouter::~KeyRouter() = default;

void KeyRouter::watch(QObject* widget) { widget->installEventFilter(this); }

bool KeyRouter::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    noteHeld(*key);
    const quint32 scan = key->nativeScanCode();
    const int code = FromQt(key->key(), scan, key->modifiers(),
                            keyboard_->PageKey(scan, key->nativeModifiers()));
    if (code == 0) return false;  // menus and the like keep their keys
    const int16_t shift = ShiftState(key->modifiers());
    if (event->type() == QEvent::KeyPress) {
        press(code, shift);
    } else if (!key->isAutoRepeat() && !keyboard_->ReleaseWhileHeld(scan)) {
        // A held key's repeats may come with releases of their own (Wayland, an X server
        // without detectable auto-repeat); only the real release counts.
        release(code, shift);
    }
    return true;
}

// An X server with detectable auto-repeat sends a held key as presses alone, none flagged
// auto-repeat: a press of the key pressed last, with no release between, repeats it too.
// Every key counts, also those the key table does not know.
void KeyRouter::noteHeld(const QKeyEvent& key) {
    const quint32 id = key.nativeScanCode() ? key.nativeScanCode() : quint32(key.key());
    if (key.type() == QEvent::KeyPress) {
        heldPress_ = key.isAutoRepeat() || id == lastDown_;
        lastDown_ = id;
    } else if (!key.isAutoRepeat() && id == lastDown_) {
        lastDown_ = 0;
    }
}

void KeyRouter::press(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    keyIsDown_[k] = true;
    if (k == Shift) {
        slideKeys_[4] = true;
        return;
    }
    const Command command =
        commandFor(k, shift, window_.options().arrowKeys, window_.session().list().count());
    if (k == KeyZ) undoPressed_ = command == Command::Undo;
    switch (command) {
        // Steps and page keys repeat while held; copy and move mode are set at once.
        case Command::NextFile:
        case Command::PreviousFile:
        case Command::NextPage:
        case Command::PreviousPage:
        case Command::CopyMode:
        case Command::MoveMode:
            window_.runCommand(command, -1, heldPress_);
            break;
        case Command::Slide:
            slideKeys_[k - Left] = true;
            window_.pictureLoader().slide(slideKeys_);
            break;
        default: break;
    }
}

void KeyRouter::release(int k, int16_t shift) {
    if (k < 0 || k > 256) return;
    if (k == Shift) slideKeys_[4] = false;
    // A release whose press happened elsewhere (the key that closed a dialog) does nothing.
    if (!keyIsDown_[k]) return;
    const Command command =
        commandFor(k, shift, window_.options().arrowKeys, window_.session().list().count());
    // One-shot commands act on release, once per press.
    switch (command) {
        case Command::Delete:
        case Command::ChoosePage:
        case Command::Fit:
        case Command::Lock:
            window_.runCommand(command);
            break;
        case Command::SendToSlot:
        case Command::OpenSlot:
            window_.runCommand(command, slotDigit(k));
            break;
        default:
            if (k == KeyZ && undoPressed_) {
                undoPressed_ = false;
                window_.runCommand(Command::Undo);
            } else if (k >= Left && k <= Down) {
                slideKeys_[k - Left] = false;
            }
            break;
    }
    keyIsDown_[k] = false;
}
