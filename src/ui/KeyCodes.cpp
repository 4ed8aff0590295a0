#include "ui/KeyCodes.h"

namespace KeyCodes {

int keyCodeOf(int qtKey, quint32 scan, Qt::KeyboardModifiers modifiers,
              std::optional<Qt::Key> layoutPlusMinus) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return (keypad ? Numpad0 : Digit0) + (qtKey - Qt::Key_0);
    // A digit-row key that typed something else (Shift+1 types "!", some layouts type
    // letters there): xkb keycodes 10 ("1") to 18 ("9") and 19 ("0") name the physical key.
    if (!keypad && scan >= 10 && scan <= 19) return scan == 19 ? Digit0 : Digit0 + int(scan) - 9;
    if (!keypad && layoutPlusMinus == Qt::Key_Plus) return OemPlus;
    if (!keypad && layoutPlusMinus == Qt::Key_Minus) return OemMinus;
    // A key the layout says is neither, though it types "=" or "_" (a shifted level).
    const bool notPageKey = !keypad && layoutPlusMinus.has_value();
    switch (qtKey) {
        case Qt::Key_Backspace: return Back;
        case Qt::Key_Return:
        case Qt::Key_Enter: return Return;
        case Qt::Key_Shift: return Shift;
        case Qt::Key_Control: return Control;
        case Qt::Key_Alt: return Menu;
        case Qt::Key_Space: return Space;
        case Qt::Key_Left: return Left;
        case Qt::Key_Up: return Up;
        case Qt::Key_Right: return Right;
        case Qt::Key_Down: return Down;
        case Qt::Key_Delete: return Delete;
        case Qt::Key_C: return KeyC;
        case Qt::Key_G: return KeyG;
        case Qt::Key_L: return KeyL;
        case Qt::Key_M: return KeyM;
        case Qt::Key_Z: return KeyZ;
        case Qt::Key_Plus:
        case Qt::Key_Equal: return keypad ? Add : notPageKey ? 0 : OemPlus;
        case Qt::Key_Minus:
        case Qt::Key_Underscore: return keypad ? Subtract : notPageKey ? 0 : OemMinus;
        default: return 0;
    }
}

}  // namespace KeyCodes
