#pragma once
// Decoding the neighbours of the shown file ahead, on worker threads.

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "view/PictureFile.h"

// Keeps decoded pictures of the files around the shown one, within a memory budget. The
// interface thread says which files it wants (Request); workers take them in that order, so
// with two a slow picture (a progressive JPEG) does not hold up the one after it; a newer
// request replaces the older one at once, so a held key never builds a backlog. A picture is
// handed out only while its file's stamp still matches. Nothing here waits on a worker but
// waitIdle, for tests and measurements.
class Prefetcher {
public:
    static constexpr int64_t kDefaultBudget = int64_t(256) * 1024 * 1024;
    // How long the destructor waits for the workers to end.
    static constexpr int kStopWaitMs = 1000;

    struct Job {
        QString path;
        QSize coverView;  // invalid: the full-size picture is wanted
        bool shown = false;  // the window waits for it (decodeShown)
        bool operator==(const Job& o) const { return path == o.path && coverView == o.coverView; }
    };
    enum class Status { Ready, Pending, NotPlanned };
    // Told on a worker thread, with the prefetcher's lock held, each time a worker is done with
    // a job for `path` (decoded, failed, or passed over): it may only pass the news on (post an
    // event), never call back in or wait.
    using Finished = std::function<void(const QString& path)>;

    // How a worker decodes a file (decodePictureFile; tests put in one that stalls).
    using Decode = std::function<DecodedPicture(const QString& path, bool pngPlugin, const QSize& coverView)>;

    // Two workers where there are two cores or more, else one.
    static int defaultWorkers();
    // `fs` is where the files are looked at (the decode's and the held pictures' stamps) from
    // the workers and the window alike: one whose calls are safe from any thread. An empty
    // `decode` is decodePictureFile on `fs`.
    explicit Prefetcher(FileSystem& fs, int64_t budgetBytes = kDefaultBudget,
                        int workers = defaultWorkers(), Decode decode = {});
    // Waits at most kStopWaitMs for the workers to finish what they decode. One still stuck in a
    // system call (a file on a hung network share) is left behind with what it uses, and counted
    // in abandonedWorkers.
    ~Prefetcher();
    Prefetcher(const Prefetcher&) = delete;
    Prefetcher& operator=(const Prefetcher&) = delete;

    // Never told again once the destructor has begun.
    void setFinished(Finished finished);
    // The wanted files, most wanted first: `shown` (held when present, never decoded here),
    // then `ahead` (decoded in order). Pictures of other files are dropped first when room is
    // needed; a queued job of an earlier request is forgotten. Without `startNow` the jobs are
    // pending but wait for start (or for waitIdle), so the shown picture can be painted
    // before any neighbour is decoded beside it.
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
    // The window shows `path` and has no picture of it: a worker decodes it before anything
    // ahead, started or not, and keeps the outcome (a failure too, and a picture the budget
    // cannot hold) for takeShown. A decode of the same job already running serves. Replaces
    // the file asked for before; a new request naming another file as shown forgets it.
    void decodeShown(const QString& path, const QSize& coverView, bool pngPlugin);
    // Whether the window's file is being decoded ahead already, at any size.
    bool decodingAhead(const QString& path) const;
    // Waits at most `timeoutMs` for the outcome decodeShown asked for; true when it is there.
    bool waitShown(int timeoutMs);
    // That outcome, once, when it is there and is for `path`.
    bool takeShown(const QString& path, DecodedPicture* out);
    // Drops every held picture and queued job (another folder was opened).
    void clear();

    // For tests and measurements.
    bool waitIdle(int timeoutMs);
    int64_t heldBytes() const;
    int64_t budget() const { return budget_; }
    int decodeCount() const;
    // Workers every destructor so far had to leave running. A process with any ends without
    // running static destructors, which could pull code from under them.
    static int abandonedWorkers();

    // The queue, the held pictures (a PictureCache, used under the one lock) and the workers'
    // bookkeeping: shared with the workers, so a worker left behind never outlives what it uses.
    class State;

private:
    const int64_t budget_;
    std::shared_ptr<State> state_;
    // Threads of its own rather than a QThreadPool's: a worker stuck in a system call is left
    // behind at the end, while a pool's destructor, and the application's for the global pool,
    // waits for every thread without a bound. The workers are loops as long-lived as the
    // prefetcher, with their own queue, so a pool would only start them.
    std::vector<std::thread> workers_;
};
