#pragma once
#include <QObject>

#include <array>
#include <cstdint>
#include <memory>

#include "PictureOffset.h"

class MainWindow;
class QKeyEvent;
class X11Keyboard;

// Turns the key events of the window and its controls into Commands for MainWindow::runCommand,
// so each event is handled once whichever control has the focus. The rules of held keys live
// here alone: a press runs again on auto-repeat (and tells a held step from a fresh one), a
// release runs once per physical press, and only when the key went down in this window.
class KeyRouter : public QObject {
public:
    explicit KeyRouter(MainWindow& window);
    ~KeyRouter() override;

    // Routes the key events `widget` receives.
    void watch(QObject* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteHeld(const QKeyEvent& key);
    void press(int keyCode, int16_t shift);
    void release(int keyCode, int16_t shift);

    MainWindow& window_;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::array<bool, 257> keyIsDown_{};
    bool undoPressed_ = false;  // Z went down with Ctrl: its release undoes, even after Ctrl's
    bool heldPress_ = false;  // the press being handled repeats a held key
    quint32 lastDown_ = 0;    // the key pressed last, while it is down
    PictureOffset::HeldKeys slideKeys_{};  // Left, Up, Right, Down, Shift
};
