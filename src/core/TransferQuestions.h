#pragma once
#include <QString>

#include "platform/FileSystem.h"

// The questions a transfer or a delete asks the user. The window answers them with message
// boxes; a test answers from a script.
class TransferQuestions {
public:
    virtual ~TransferQuestions() = default;
    // May the existing `destination` be replaced by `source`? Both as just looked up.
    virtual bool confirmOverwrite(const FileStatus& source, const FileStatus& destination) = 0;
    // May the file `path` be deleted?
    virtual bool confirmDelete(const QString& path) = 0;
    // The same for the shown file with companions going along (companions): asked once for the
    // group. `destination` is null when only companions collide; `collidingCompanions` counts
    // them. By default the single questions answer, and a group of colliding companions alone
    // is declined.
    virtual bool confirmGroupOverwrite(const QString& shownName, const FileStatus& source,
                                       const FileStatus* destination, int collidingCompanions) {
        (void)shownName;
        (void)collidingCompanions;
        return destination && confirmOverwrite(source, *destination);
    }
    virtual bool confirmGroupDelete(const QString& path, int companions) {
        (void)companions;
        return confirmDelete(path);
    }
};
