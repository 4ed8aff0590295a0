#pragma once
#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/Commands.h"
#include "ui/KeyTable.h"
#include "view/PictureOffset.h"

class QKeyEvent;
class X11Keyboard;

// Turns the key events of the window and its controls into Commands, so each event is handled
// once whichever control has the focus. The rules of held keys live here alone: a press runs
// again on auto-repeat (and tells a held step from a fresh one), a release runs once per
// physical press, and only when the key went down in one of the watched controls.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    // What the key table needs to know when a key comes.
    struct Context {
        ArrowKeys arrows;
        int32_t fileCount;
    };

    // `context` is asked at each key.
    KeyRouter(QObject* parent, std::function<Context()> context);
    ~KeyRouter() override;

    // Routes the key events `widget` receives.
    void watch(QObject* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A key selected `command`: `slot` for SendToSlot and OpenSlot (else -1); `held` when the
    // press repeats a held key.
    void commanded(Command command, int slot, bool held);
    // The arrow keys and Shift now held, after an arrow key that slides went down.
    void slid(const PictureOffset::HeldKeys& held);

private:
    void noteHeld(const QKeyEvent& key);
    void press(int keyCode, Qt::KeyboardModifiers modifiers);
    void release(int keyCode, Qt::KeyboardModifiers modifiers);
    Command commandOf(int keyCode, Qt::KeyboardModifiers modifiers) const;

    std::function<Context()> context_;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::array<bool, 257> keyIsDown_{};
    bool undoPressed_ = false;  // Z went down with Ctrl: its release undoes, even after Ctrl's
    bool heldPress_ = false;  // the press being handled repeats a held key
    quint32 lastDown_ = 0;    // the key pressed last, while it is down
    PictureOffset::HeldKeys slideKeys_{};  // Left, Up, Right, Down, Shift
};
