#pragma once
#include <QString>

#include "FileSystem.h"

// The questions a transfer or a delete asks the user. The window answers them with message
// boxes; a test answers from a script.
class TransferQuestions {
public:
    virtual ~TransferQuestions() = default;
    // May the existing `destination` be replaced by `source`? Both as just looked up.
    virtual bool confirmOverwrite(const FileStatus& source, const FileStatus& destination) = 0;
    // May the file `path` be deleted?
    virtual bool confirmDelete(const QString& path) = 0;
};
