#pragma once
#include <QByteArray>
#include <QList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

// One line of /proc/self/mountinfo, its escapes undone.
struct MountEntry {
    QByteArray mountPoint;
    QByteArray fsType;
    QByteArray source;
    dev_t device = 0;
};

// CD-ROM for an iso9660 or udf file system or a /dev/sr* or /dev/cdrom* device, else Other.
DriveType typeOfMount(const MountEntry& m);

// A copy of the kernel's mount table, read again only when it changed. Each check before a
// move asks it, and reading and parsing the table costs far more than the move itself. The
// kernel marks /proc/self/mountinfo with POLLPRI after every mount and unmount.
//
// A watcher thread waits for that mark, so the question a move asks (the drive of a device the
// table already names) costs no system call at all: on this kind of machine one call costs a
// quarter of a rename. The watcher learns of a change within its wake-up time, so a device
// number unmounted and mounted again as another kind of drive in that instant could be named
// by the old kind; every other question (a device the copy does not name, a mount point) polls
// without waiting and is exact. Where no thread can be started, every question polls; where
// the file cannot be opened, the table is read at every question.
class MountTable {
public:
    // The one table of the process, made at the first question.
    static MountTable& instance();

    // The mounts, in the kernel's order (the last of two at one point is on top).
    QList<MountEntry> entries();

    // The drive type of the file system with device number `device`; false when no mount names
    // that device or its mounts disagree (the path is asked then).
    bool typeOfDevice(dev_t device, DriveType* type);

    // For tests, which wait for the watcher rather than the clock: the changes it has told of
    // so far, and a wait of at most `timeoutMs` for one after `told`. False on timeout, and at
    // once where nothing watches (every question then reads the table itself).
    uint64_t changesTold();
    bool waitForChangeAfter(uint64_t told, int timeoutMs);

private:
    static constexpr int kUnknown = -1;

    MountTable();
    void watch(int fd);
    bool lookup(dev_t device, DriveType* type) const;
    bool changed();
    void refreshIfChanged();
    void read();

    std::mutex mutex_;
    const int fd_;
    bool read_ = false;
    std::atomic<bool> watching_{false};
    std::atomic<bool> watcherSawChange_{false};
    std::mutex toldMutex_;
    std::condition_variable told_;
    uint64_t changesTold_ = 0;
    QList<MountEntry> entries_;
    std::vector<std::pair<dev_t, int>> byDevice_;  // sorted by device
};
