#pragma once
#include <QDir>
#include <QString>

#include "Folder.h"
#include "GlobalParam.h"

// The library and the options at their start values for a test that starts the main window,
// and the working directory (which start-up changes) and the options put back afterwards.
// Declare it first among a fixture's members, so it is undone last.
class ProgramState {
public:
    ProgramState() : cwd_(QDir::currentPath()) {
        Folder::ResetState();
        GlobalParam::ResetState();
    }
    ~ProgramState() {
        QDir::setCurrent(cwd_);
        GlobalParam::ResetState();
    }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

private:
    QString cwd_;
};
