#pragma once

class MsgBox;
class FileSystem;
class ShellDialogs;

// The platform services a window needs. main.cpp passes the real ones; tests pass fakes.
struct Services {
    MsgBox* msgBox = nullptr;
    FileSystem* fileSystem = nullptr;
    ShellDialogs* dialogs = nullptr;
};
