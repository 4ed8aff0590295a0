#pragma once

// What a key or a menu item asks of the window. The key table (KeyTable.h) maps keys to these,
// the menus show and trigger them; MainWindow::runCommand carries each out.
enum class Command {
    None, NextFile, PreviousFile, NextPage, PreviousPage, Slide, SendToSlot, OpenSlot, Undo,
    ChoosePage, Delete, CopyMode, MoveMode, Lock, Fit,
};
