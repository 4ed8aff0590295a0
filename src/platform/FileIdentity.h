#pragma once
#include <cstdint>

struct stat;
struct statx;

// What makes a file the very file seen before: device and inode, its birth time where the file
// system keeps one, its size and its modification time to the nanosecond. An inode number is
// handed out again as soon as a file is deleted (ext4, tmpfs), so device and inode alone
// would take a stranger for the file; all of these together do not. The one place that
// decides "is this still the same file?".
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool hasBirth = false;  // statx gave a birth time (not every file system keeps one)
    int64_t birthSec = 0;
    int64_t birthNsec = 0;
    int64_t size = -1;
    int64_t mtimeSec = 0;
    int64_t mtimeNsec = 0;

    // Birth times are compared where both sides have one: a file system keeps them for all its
    // files or for none.
    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size && mtimeSec == o.mtimeSec &&
               mtimeNsec == o.mtimeNsec &&
               (!hasBirth || !o.hasBirth || (birthSec == o.birthSec && birthNsec == o.birthNsec));
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }

    // From what stat(2) / statx(2) said (statx: STATX_BTIME asked for; its mask says whether
    // the birth time came).
    static FileIdentity of(const struct stat& st);
    static FileIdentity of(const struct statx& stx);
};
