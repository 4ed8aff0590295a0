#pragma once
#include <QString>
#include <QStringList>
#include <Qt>

#include <cstdint>

#include "ui/Commands.h"
#include "core/Options.h"

// The command the key `keyCode` (KeyCodes.h) selects with `modifiers` held, given what the
// arrow keys do (stepping: Shift alone turns them back into sliding keys; unassigned: nothing) and the number of files in the list; Command::None for none. Shift, Ctrl and
// Alt count; the keypad flag and Meta do not. No key selects two commands.
Command commandFor(int keyCode, Qt::KeyboardModifiers modifiers, ArrowKeys arrows, int32_t fileCount);

// The slot digit of a digit-row or keypad digit key, or -1.
int slotDigit(int keyCode);

// The key a menu item of `command` shows beside its caption, as the usage text names it;
// empty for a command without one.
QString menuKeyOf(Command command);

// The usage text's lines on the keys, made from the key table: groups of lines, each group
// followed by an empty line.
QStringList usageKeyLines(ArrowKeys arrows);
