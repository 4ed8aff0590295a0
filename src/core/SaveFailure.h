#pragma once
#include <QString>

// A settings file that could not be written: which one and the system's reason. The file
// keeps its former content.
struct SaveFailure {
    QString path;
    QString reason;
};
