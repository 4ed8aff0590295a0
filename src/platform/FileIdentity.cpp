#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

FileIdentity FileIdentity::of(const struct stat& st) {
    FileIdentity id;
    id.device = uint64_t(st.st_dev);
    id.inode = uint64_t(st.st_ino);
    id.size = int64_t(st.st_size);
    id.mtimeSec = int64_t(st.st_mtim.tv_sec);
    id.mtimeNsec = int64_t(st.st_mtim.tv_nsec);
    return id;
}

FileIdentity FileIdentity::of(const struct statx& stx) {
    FileIdentity id;
    // The same number stat(2) gives as st_dev, so identities from either compare.
    id.device = uint64_t(makedev(stx.stx_dev_major, stx.stx_dev_minor));
    id.inode = uint64_t(stx.stx_ino);
    id.size = int64_t(stx.stx_size);
    id.mtimeSec = int64_t(stx.stx_mtime.tv_sec);
    id.mtimeNsec = int64_t(stx.stx_mtime.tv_nsec);
    id.hasBirth = (stx.stx_mask & STATX_BTIME) != 0;
    if (id.hasBirth) {
        id.birthSec = int64_t(stx.stx_btime.tv_sec);
        id.birthNsec = int64_t(stx.stx_btime.tv_nsec);
    }
    return id;
}
