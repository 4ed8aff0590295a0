#pragma once
#include <QString>
#include <Qt>

#include <cstdint>

// The key codes and modifier bits the key map speaks, translated from Qt's key events.
namespace KeyCodes {

enum Code : int {
    Back = 8, Return = 13, Shift = 16, Control = 17, Menu = 18, Space = 32,
    Left = 37, Up = 38, Right = 39, Down = 40, Delete = 46,
    Digit0 = 48, KeyC = 67, KeyG = 71, KeyL = 76, KeyM = 77, KeyZ = 90,
    Numpad0 = 96, Add = 107, Subtract = 109, OemPlus = 187, OemMinus = 189,
};

// The key code of an event: 0 for keys the key map does not know. The digit row is told by
// its physical key (X11/xkb keycodes 10..19) so Shift, Ctrl or the layout never change which
// digit a key is; events without a scan code (synthesised ones) fall back to Qt's key.
// `mainPageKey` is what the active layout makes of the physical key (OemPlus, OemMinus, or 0
// for neither): the main keyboard's plus and minus keys go by it, whatever Shift makes them
// type. With -1 (layout not known) they go by the character typed.
int FromQt(int qtKey, quint32 nativeScanCode, Qt::KeyboardModifiers modifiers,
           int mainPageKey = -1);

// Modifier bits: 1 Shift, 2 Ctrl, 4 Alt. The keypad flag is not a modifier.
int16_t ShiftState(Qt::KeyboardModifiers modifiers);

}  // namespace KeyCodes
