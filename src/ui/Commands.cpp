#include "Commands.h"

namespace {

struct CommandKey {
    Command command;
    const char* menuKey;
};

// The keys as a menu shows them; the key table selects the same commands by these keys.
constexpr CommandKey kCommandKeys[] = {
    {Command::NextFile, "Space"},   {Command::PreviousFile, "Shift+Space"},
    {Command::NextPage, "+"},       {Command::PreviousPage, "-"},
    {Command::Undo, "Ctrl+Z"},      {Command::ChoosePage, "G"},
    {Command::Delete, "Delete"},    {Command::CopyMode, "C"},
    {Command::MoveMode, "M"},       {Command::Lock, "L"},
    {Command::Fit, "Enter"},
};

}  // namespace

QString menuKeyOf(Command command) {
    for (const CommandKey& entry : kCommandKeys)
        if (entry.command == command) return QString::fromLatin1(entry.menuKey);
    return QString();
}
