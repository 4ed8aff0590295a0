#include "ui/KeyRouter.h"

#include <QEvent>
#include <QKeyEvent>

#include "ui/KeyCodes.h"
#include "desktop/X11Keyboard.h"

using namespace KeyCodes;

KeyRouter::KeyRouter(QObject* parent, std::function<Context()> context)
    : QObject(parent), context_(std::move(context)), keyboard_(std::make_unique<X11Keyboard>()) {}

KeyRouter::~KeyRouter() = default;

void KeyRouter::watch(QObject* widget) { widget->installEventFilter(this); }

bool KeyRouter::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    noteHeld(*key);
    const quint32 scan = key->nativeScanCode();
    const int code = keyCodeOf(key->key(), scan, key->modifiers(),
                               keyboard_->layoutPlusMinus(scan, key->nativeModifiers()));
    if (code == 0) return false;  // menus and the like keep their keys
    if (event->type() == QEvent::KeyPress) {
        press(code, key->modifiers());
    } else if (!key->isAutoRepeat() && !keyboard_->releaseWhileHeld(scan)) {
        // A held key's repeats may come with releases of their own (Wayland, an X server
        // without detectable auto-repeat); only the real release counts.
        release(code, key->modifiers());
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

Command KeyRouter::commandOf(int k, Qt::KeyboardModifiers modifiers) const {
    const Context now = context_();
    return commandFor(k, modifiers, now.arrows, now.fileCount);
}

void KeyRouter::press(int k, Qt::KeyboardModifiers modifiers) {
    if (k < 0 || k > 256) return;
    keyIsDown_[k] = true;
    if (k == Shift) {
        slideKeys_[4] = true;
        return;
    }
    const Command command = commandOf(k, modifiers);
    if (k == KeyZ) undoPressed_ = command == Command::Undo;
    switch (command) {
        // Steps and page keys repeat while held; copy and move mode are set at once.
        case Command::NextFile:
        case Command::PreviousFile:
        case Command::NextPage:
        case Command::PreviousPage:
        case Command::CopyMode:
        case Command::MoveMode:
            emit commanded(command, -1, heldPress_);
            break;
        case Command::Slide:
            slideKeys_[k - Left] = true;
            emit slid(slideKeys_);
            break;
        default: break;
    }
}

void KeyRouter::release(int k, Qt::KeyboardModifiers modifiers) {
    if (k < 0 || k > 256) return;
    if (k == Shift) slideKeys_[4] = false;
    // A release whose press happened elsewhere (the key that closed a dialog) does nothing.
    if (!keyIsDown_[k]) return;
    const Command command = commandOf(k, modifiers);
    // One-shot commands act on release, once per press.
    switch (command) {
        case Command::Delete:
        case Command::ChoosePage:
        case Command::Fit:
        case Command::Lock:
            emit commanded(command, -1, false);
            break;
        case Command::SendToSlot:
        case Command::OpenSlot:
            emit commanded(command, slotDigit(k), false);
            break;
        default:
            if (k == KeyZ && undoPressed_) {
                undoPressed_ = false;
                emit commanded(Command::Undo, -1, false);
            } else if (k >= Left && k <= Down) {
                slideKeys_[k - Left] = false;
            }
            break;
    }
    keyIsDown_[k] = false;
}
