#pragma once
#include <Qt>

#include <optional>

// The key codes the key table speaks, translated from Qt's key events. They stay between the key
// router, its table and the usage text; nothing else sees them.
namespace KeyCodes {

enum Code : int {
    Back = 8, Return = 13, Shift = 16, Control = 17, Menu = 18, Space = 32,
    Left = 37, Up = 38, Right = 39, Down = 40, Delete = 46,
    Digit0 = 48, Digit9 = 57, KeyC = 67, KeyG = 71, KeyL = 76, KeyM = 77, KeyZ = 90,
    Numpad0 = 96, Numpad9 = 105, Add = 107, Subtract = 109, OemPlus = 187, OemMinus = 189,
};

// The key code of an event: 0 for keys the key table does not know. The digit row is told by
// its physical key (X11/xkb keycodes 10..19) so Shift, Ctrl or the layout never change which
// digit a key is; events without a scan code (synthesised ones) fall back to Qt's key.
// `layoutPlusMinus` is which of "+" and "-" the active layout puts on the physical key
// (Qt::Key_Plus, Qt::Key_Minus, or Qt::Key_unknown for neither): the main keyboard's plus and
// minus keys go by it, whatever Shift makes them type. Without it (layout not known) they go by
// the character typed.
int keyCodeOf(int qtKey, quint32 nativeScanCode, Qt::KeyboardModifiers modifiers,
              std::optional<Qt::Key> layoutPlusMinus = std::nullopt);

}  // namespace KeyCodes
