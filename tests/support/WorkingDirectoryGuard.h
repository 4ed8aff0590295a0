#pragma once
#include <QDir>
#include <QString>

// Puts back the working directory, which the main window's start-up changes, when a test
// ends. Declare it first among a fixture's members, so it is undone last.
class WorkingDirectoryGuard {
public:
    WorkingDirectoryGuard() : cwd_(QDir::currentPath()) {}
    ~WorkingDirectoryGuard() { QDir::setCurrent(cwd_); }
    WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
    WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

private:
    QString cwd_;
};
