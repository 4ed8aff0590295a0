#pragma once
// Decoding the neighbours of the shown file ahead, on worker threads.

#include <QSize>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "PictureBuffer.h"
#include "PictureDecoder.h"

// What identifies a file's content without reading it: when any of these changed since a
// picture was decoded, the picture is stale.
struct FileStamp {
    int64_t size = -1;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    uint64_t inode = 0;
    uint64_t device = 0;
    bool operator==(const FileStamp& o) const {
        return size == o.size && mtimeNs == o.mtimeNs && ctimeNs == o.ctimeNs &&
               inode == o.inode && device == o.device;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// False when `path` cannot be looked up (or is not a regular file).
bool stampOf(const QString& path, FileStamp* out);

// One decode of one file, by the route its name selects.
struct DecodedPicture {
    bool ok = false;
    bool pngRoute = false;          // the name ends in "png" (any case)
    int16_t pngCode = 0;            // plug-in route: 0, or the failure code
    PictureDecoder::Outcome outcome = PictureDecoder::Outcome::NotAFile;  // the other route
    PictureBuffer picture;
    FileStamp stamp;
    bool stable = false;            // the file looked the same before and after decoding
};

// Decodes `path` as the view loads it: a name whose last three characters are "png" (any case)
// through the plug-in, only when `pngPlugin` (else nothing is decoded and ok is false); every
// other name through PictureDecoder, reduced for `coverView` when valid (see PictureDecoder::decode).
// With a valid `coverView` the stretched copy for it is prepared too. Safe on any thread; calls
// into the plug-in are serialised.
DecodedPicture decodePictureFile(const QString& path, bool pngPlugin, const QSize& coverView);

// Keeps decoded pictures of the files around the shown one, within a memory budget. The
// interface thread says which files it wants (Request); workers take them in that order, so
// with two a slow picture (a progressive JPEG) does not hold up the one after it; a newer
// request replaces the older one at once, so a held key never builds a backlog. A picture is
// handed out only while its file's stamp still matches.
class Prefetcher {
public:
    static constexpr int64_t kDefaultBudget = int64_t(256) * 1024 * 1024;

    struct Job {
        QString path;
        QSize coverView;  // invalid: the full-size picture is wanted
        bool operator==(const Job& o) const { return path == o.path && coverView == o.coverView; }
    };
    enum class Status { Ready, Pending, NotPlanned };

    // Two workers where there are two cores or more, else one.
    static int defaultWorkers();
    explicit Prefetcher(int64_t budgetBytes = kDefaultBudget, int workers = defaultWorkers());
    ~Prefetcher();
    Prefetcher(const Prefetcher&) = delete;
    Prefetcher& operator=(const Prefetcher&) = delete;

    // The wanted files, most wanted first: `shown` (held when present, never decoded here),
    // then `ahead` (decoded in order). Pictures of other files are dropped first when room is
    // needed; a queued job of an earlier request is forgotten. Without `startNow` the jobs are
    // pending but wait for start (or for AwaitPending or WaitIdle), so the shown picture can be
    // painted before any neighbour is decoded beside it.
    void request(const QString& shown, const std::vector<Job>& ahead, bool pngPlugin,
                 bool startNow = true);
    void start();
    // Holds a picture the interface decoded itself (the shown one), so coming back is free.
    void keep(const QString& path, const DecodedPicture& decoded);
    // A held picture of `path` usable for `coverView` (full size when invalid; a reduced one
    // must cover the stretched rectangle) whose file is unchanged. A stale one is dropped.
    bool take(const QString& path, const QSize& coverView, DecodedPicture* out);
    // Ready: a picture (or a failed decode) is held; Pending: queued or being decoded;
    // NotPlanned: neither.
    Status statusOf(const QString& path, const QSize& coverView);
    // Waits, at most `timeoutMs`, for a queued or running decode of `path` (moved to the front
    // of the queue), so a step never decodes the same file a second time beside the worker.
    // True when no decode of it is pending any more.
    bool awaitPending(const QString& path, int timeoutMs);
    // Drops every held picture and queued job (another folder was opened).
    void clear();

    // For tests and measurements.
    bool waitIdle(int timeoutMs);
    int64_t heldBytes() const;
    int64_t budget() const { return budget_; }
    int decodeCount() const;

private:
    struct Entry {
        DecodedPicture decoded;
        uint64_t lastUse = 0;
    };
    static bool usable(const DecodedPicture& d, const QSize& coverView);
    bool inFlight(const QString& path) const;
    int priorityOf(const QString& path) const;  // lower is more wanted; INT_MAX unwanted
    bool makeRoom(int64_t bytes, int priority);
    void insert(const QString& path, const DecodedPicture& decoded);
    void run();

    const int64_t budget_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> queue_;
    std::vector<QString> wanted_;
    bool pngPlugin_ = false;
    std::vector<Job> inFlight_;
    std::map<QString, Entry> held_;
    int64_t heldBytes_ = 0;
    int64_t reservedBytes_ = 0;  // room kept for the pictures being decoded
    // Jobs claim their room in the order they left the queue, which is the order they are
    // wanted in: one whose header is read sooner never takes the room of a more wanted one
    // whose worker is still reading.
    uint64_t turnsGiven_ = 0;   // one per job that left the queue to be decoded
    uint64_t turnsTaken_ = 0;   // those that have claimed their room (or found none)
    std::condition_variable turn_;
    uint64_t clock_ = 0;
    int decodes_ = 0;
    bool started_ = true;  // queued jobs may be taken
    bool stop_ = false;
    std::vector<std::thread> workers_;
};
