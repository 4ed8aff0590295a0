#include "ui/KeyTable.h"

#include "ui/KeyCodes.h"
#include "core/Options.h"

using namespace KeyCodes;

namespace {

// The modifiers a key asks for: any at all, or exactly none, Shift or Ctrl.
enum class Held { Any, Nothing, Shift, Ctrl };
// When a key works, by what the arrow keys do.
enum class When { Always, ArrowsStep, ArrowsSlide };

struct KeyBinding {
    Command command;
    int firstKey, lastKey;  // a range of key codes
    Held held;
    When when;
    bool needsFiles;        // does nothing with an empty list
    const char* help;       // the usage text after the key's name; nullptr: the text does not name it
    bool groupEnds;         // an empty line follows in the usage text
};

constexpr KeyBinding kKeyTable[] = {
    // In the usage text's order.
    {Command::CopyMode, KeyC, KeyC, Held::Any, When::Always, false, " ... コピーモード", false},
    {Command::MoveMode, KeyM, KeyM, Held::Any, When::Always, false, " ... 移動モード", false},
    {Command::Lock, KeyL, KeyL, Held::Any, When::Always, false, " ... 転送・削除のロック", true},
    {Command::NextFile, Space, Space, Held::Nothing, When::Always, true, "  ... 次ファイル", false},
    {Command::PreviousFile, Space, Space, Held::Shift, When::Always, true, " .. 前ファイル", false},
    {Command::PreviousFile, Back, Back, Held::Any, When::Always, true, " .. 前ファイル", false},
    {Command::Delete, Delete, Delete, Held::Any, When::Always, false, " ... ファイル削除", false},
    {Command::Undo, KeyZ, KeyZ, Held::Ctrl, When::Always, false, " ... 元に戻す", false},
    {Command::Fit, Return, Return, Held::Any, When::Always, false, "  ... 画像枠内伸長", true},
    {Command::SendToSlot, Digit0, Digit9, Held::Nothing, When::Always, false, " = 割り当てたフォルダに転送", false},
    {Command::OpenSlot, Digit0, Digit9, Held::Ctrl, When::Always, false, " = 割り当てたフォルダを開く", true},
    // The stepping arrows read as one line.
    {Command::NextPage, Down, Down, Held::Any, When::ArrowsStep, false, "：次ページ", false},
    {Command::PreviousPage, Up, Up, Held::Any, When::ArrowsStep, false, "：前ページ", false},
    {Command::PreviousFile, Left, Left, Held::Any, When::ArrowsStep, true, "：前ファイル", false},
    {Command::NextFile, Right, Right, Held::Any, When::ArrowsStep, true, "：次ファイル", false},
    {Command::Slide, Left, Down, Held::Any, When::ArrowsSlide, false,
     " ... 画像のスライド(シフトを押しながらだと三倍速)", true},
    {Command::NextPage, Add, Add, Held::Any, When::Always, false, " ... 次のページ", false},
    {Command::PreviousPage, Subtract, Subtract, Held::Any, When::Always, false, " ... 前のページ", false},
    {Command::ChoosePage, KeyG, KeyG, Held::Nothing, When::Always, false, " ... ページを選ぶ", true},
    // Keys the usage text does not name.
    {Command::NextPage, OemPlus, OemPlus, Held::Shift, When::Always, false, nullptr, false},  // "+" types "=" unshifted
    {Command::PreviousPage, OemMinus, OemMinus, Held::Any, When::Always, false, nullptr, false},
    {Command::SendToSlot, Numpad0, Numpad9, Held::Nothing, When::Always, false, nullptr, false},
    {Command::OpenSlot, Numpad0, Numpad9, Held::Ctrl, When::Always, false, nullptr, false},
    {Command::ChoosePage, KeyG, KeyG, Held::Ctrl, When::Always, false, nullptr, false},
};

bool heldMatches(Held held, Qt::KeyboardModifiers modifiers) {
    switch (held) {
        case Held::Any: return true;
        case Held::Nothing: return modifiers == Qt::NoModifier;
        case Held::Shift: return modifiers == Qt::ShiftModifier;
        case Held::Ctrl: return modifiers == Qt::ControlModifier;
    }
    return false;
}

// The key's name as the usage text and the menus show it.
QString keyName(const KeyBinding& row) {
    QString name;
    if (row.firstKey == Digit0 && row.lastKey == Digit9) {
        name = QStringLiteral("数字キー");
    } else if (row.firstKey == Left && row.lastKey == Down) {
        name = QStringLiteral("方向キー");
    } else {
        switch (row.firstKey) {
            case Space: name = QStringLiteral("Space"); break;
            case Back: name = QStringLiteral("BkSpace"); break;
            case Delete: name = QStringLiteral("Delete"); break;
            case Return: name = QStringLiteral("Enter"); break;
            case Add: name = QStringLiteral("+"); break;
            case Subtract: name = QStringLiteral("-"); break;
            case Left: name = QStringLiteral("左"); break;
            case Up: name = QStringLiteral("上"); break;
            case Right: name = QStringLiteral("右"); break;
            case Down: name = QStringLiteral("下"); break;
            default: name = QChar(row.firstKey); break;  // a letter's code is its capital
        }
    }
    if (row.held == Held::Shift) return QStringLiteral("Shift+") + name;
    if (row.held == Held::Ctrl) return QStringLiteral("Ctrl+") + name;
    return name;
}

}  // namespace

Command commandFor(int k, Qt::KeyboardModifiers modifiers, ArrowKeys arrows, int32_t fileCount) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool arrowsStep = arrows == ArrowKeys::PagesAndFiles && held != Qt::ShiftModifier;
    for (const KeyBinding& row : kKeyTable) {
        if (k < row.firstKey || k > row.lastKey || !heldMatches(row.held, held)) continue;
        if (row.needsFiles && fileCount <= 0) continue;
        if (row.when == When::ArrowsStep && !arrowsStep) continue;
        if (row.when == When::ArrowsSlide && (arrowsStep || arrows == ArrowKeys::Unassigned)) continue;
        return row.command;
    }
    return Command::None;
}

int slotDigit(int k) {
    if (k >= Digit0 && k <= Digit9) return k - Digit0;
    if (k >= Numpad0 && k <= Numpad9) return k - Numpad0;
    return -1;
}

QString menuKeyOf(Command command) {
    for (const KeyBinding& row : kKeyTable)
        if (row.command == command && row.help) return keyName(row);
    return QString();
}

QStringList usageKeyLines(ArrowKeys arrows) {
    QStringList lines;
    QStringList steppingArrows;
    for (const KeyBinding& row : kKeyTable) {
        if (!row.help) continue;
        if (row.when == When::ArrowsStep) {
            steppingArrows << keyName(row) + QString::fromUtf8(row.help);
            continue;
        }
        if (row.when == When::ArrowsSlide && arrows == ArrowKeys::PagesAndFiles) {
            lines << keyName(row) + QStringLiteral(" ... ") + steppingArrows.join(QStringLiteral("、"))
                  << QStringLiteral("shift+") + keyName(row) + QStringLiteral(" ... 画像のスライド(三倍速)");
        } else {
            lines << keyName(row) + QString::fromUtf8(row.help);
        }
        if (row.groupEnds) lines << QString();
    }
    return lines;
}
