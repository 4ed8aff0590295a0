#pragma once
#include "platform/FileSystem.h"

// A file as it stood at one moment: its identity (the same file, FileIdentity) and its status
// change time. A write that puts the modification time back (touch -r, cp -p onto it, a camera
// tool) still moves the change time, so this tells "the same bytes as then" where identity
// alone tells only "the same file". Undo asks the identity question: its own renames move the
// change time of the very file it put there. A copy's source and a decoded picture ask this one.
struct FileVersion {
    FileIdentity identity;
    int64_t ctimeSec = 0;
    int64_t ctimeNsec = 0;

    static FileVersion of(const FileStatus& st) {
        return FileVersion{st.identity(), st.ctimeSec, st.ctimeNsec};
    }
    bool operator==(const FileVersion& o) const {
        return identity == o.identity && ctimeSec == o.ctimeSec && ctimeNsec == o.ctimeNsec;
    }
    bool operator!=(const FileVersion& o) const { return !(*this == o); }
};
