#include "platform/MountTable.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

DriveType typeOfMount(const MountEntry& m) {
    if (m.fsType == "iso9660" || m.fsType == "udf") return DriveType::CdRom;
    if (m.source.startsWith("/dev/sr") || m.source.startsWith("/dev/cdrom")) return DriveType::CdRom;
    return DriveType::Other;
}

namespace {

// "\040" and friends in /proc/self/mountinfo stand for blank, tab, newline and backslash.
QByteArray unescape(const QByteArray& s) {
    QByteArray out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

QList<MountEntry> readMounts() {
    QList<MountEntry> mounts;
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly)) return mounts;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        const int dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 2 >= fields.size()) continue;
        MountEntry m{unescape(fields[4]), unescape(fields[dash + 1]), unescape(fields[dash + 2]), 0};
        const QList<QByteArray> majorMinor = fields[2].split(':');
        bool okMajor = false, okMinor = false;
        if (majorMinor.size() == 2) {
            const uint major = majorMinor[0].toUInt(&okMajor), minor = majorMinor[1].toUInt(&okMinor);
            if (okMajor && okMinor) m.device = makedev(major, minor);
        }
        mounts.append(m);
    }
    return mounts;
}

}  // namespace

MountTable& MountTable::instance() {
    // Never destroyed: the watcher may still be waiting in poll(2) when the program ends.
    static MountTable* table = new MountTable;
    return *table;
}

QList<MountEntry> MountTable::entries() {
    std::lock_guard<std::mutex> lock(mutex_);
    refreshIfChanged();
    return entries_;
}

bool MountTable::typeOfDevice(dev_t device, DriveType* type) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (read_ && watching_.load(std::memory_order_acquire)) {
        // Cleared before the reading, so a change during it marks the table again.
        if (watcherSawChange_.load(std::memory_order_acquire) &&
            watcherSawChange_.exchange(false, std::memory_order_acq_rel))
            read();
        if (lookup(device, type)) return true;
    }
    refreshIfChanged();
    return lookup(device, type);
}

// Opened before the first reading, so no change after it goes unnoticed.
MountTable::MountTable() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {
    const int watched = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (watched < 0) return;
    try {
        std::thread(&MountTable::watch, this, watched).detach();
        watching_ = true;
    } catch (const std::system_error&) {
        ::close(watched);
    }
}

// Its own descriptor: each open file of mountinfo keeps its own record of the last change
// it reported, so the polls of the questions do not swallow the watcher's.
void MountTable::watch(int fd) {
    for (;;) {
        pollfd p{fd, POLLPRI, 0};
        const int r = ::poll(&p, 1, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || (p.revents & POLLNVAL)) break;
        if (p.revents & (POLLPRI | POLLERR)) {
            watcherSawChange_.store(true, std::memory_order_release);
            std::lock_guard<std::mutex> lock(toldMutex_);
            ++changesTold_;
            told_.notify_all();
        }
    }
    // Blind from here on: every question polls for itself.
    watching_.store(false, std::memory_order_release);
    {
        std::lock_guard<std::mutex> lock(toldMutex_);
        told_.notify_all();
    }
    ::close(fd);
}

uint64_t MountTable::changesTold() {
    std::lock_guard<std::mutex> lock(toldMutex_);
    return changesTold_;
}

bool MountTable::waitForChangeAfter(uint64_t told, int timeoutMs) {
    std::unique_lock<std::mutex> lock(toldMutex_);
    return told_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return changesTold_ > told || !watching_.load(std::memory_order_acquire);
    }) && changesTold_ > told;
}

bool MountTable::lookup(dev_t device, DriveType* type) const {
    const auto it = std::lower_bound(byDevice_.begin(), byDevice_.end(),
                                     std::make_pair(device, INT_MIN));
    if (it == byDevice_.end() || it->first != device || it->second == kUnknown) return false;
    *type = DriveType(it->second);
    return true;
}

bool MountTable::changed() {
    if (fd_ < 0 || !read_) return true;
    pollfd p{fd_, POLLPRI, 0};
    const int r = ::poll(&p, 1, 0);
    return r != 0;  // an error counts as a change: the table is read again
}

void MountTable::refreshIfChanged() {
    if (changed()) read();
}

void MountTable::read() {
    entries_ = readMounts();
    // Sorted pairs rather than a hash: one short block of memory for the lookup a move makes.
    byDevice_.clear();
    for (const MountEntry& m : entries_) byDevice_.emplace_back(m.device, int(typeOfMount(m)));
    std::sort(byDevice_.begin(), byDevice_.end());
    // A device whose mounts disagree about its kind is asked by path.
    std::vector<std::pair<dev_t, int>> merged;
    for (const auto& d : byDevice_) {
        if (!merged.empty() && merged.back().first == d.first) {
            if (merged.back().second != d.second) merged.back().second = kUnknown;
        } else {
            merged.push_back(d);
        }
    }
    byDevice_.swap(merged);
    read_ = true;
}
