#include "view/Prefetcher.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

#include "view/PictureCache.h"

namespace {
std::atomic<int> abandoned{0};
// How long a job waits for those ahead of it in turn to claim their room.
constexpr int kTurnWaitMs = 500;
}  // namespace

class Prefetcher::State {
public:
    State(FileSystem& fs, int64_t budget, Decode decode, int workers)
        : cache_(fs, budget), decode_(std::move(decode)), ended_(size_t(workers), false) {}

    bool inFlight(const QString& path) const;
    bool queued(const QString& path) const;
    void tell(const QString& path);
    // A worker is done decoding `job`: the outcome goes to the window when it waits for it and
    // into the cache when the file is wanted; then the news.
    void finish(const Job& job, const DecodedPicture& decoded);
    void run(size_t worker);

    PictureCache cache_;
    const Decode decode_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::condition_variable endedCv_;
    std::deque<Job> queue_;
    bool pngPlugin_ = false;
    std::vector<Job> inFlight_;
    // Jobs claim their room in the order they left the queue, which is the order they are
    // wanted in: one whose header is read sooner never takes the room of a more wanted one
    // whose worker is still reading.
    uint64_t turnsGiven_ = 0;   // one per job that left the queue to be decoded
    std::set<uint64_t> turns_;  // those that have not claimed their room yet
    std::condition_variable turn_;
    int decodes_ = 0;
    // The window's own file (decodeShown) and, once a worker is done with it, the outcome.
    std::optional<Job> shownJob_;
    std::optional<std::pair<QString, DecodedPicture>> shownOutcome_;
    bool started_ = true;  // queued jobs may be taken
    bool stop_ = false;
    Finished finished_;
    std::vector<bool> ended_;  // per worker: out of run()
};

bool Prefetcher::State::inFlight(const QString& path) const {
    return std::any_of(inFlight_.begin(), inFlight_.end(), [&path](const Job& j) { return j.path == path; });
}

bool Prefetcher::State::queued(const QString& path) const {
    return std::any_of(queue_.begin(), queue_.end(), [&path](const Job& j) { return j.path == path; });
}

void Prefetcher::State::tell(const QString& path) {
    if (finished_ && !stop_) finished_(path);
}

void Prefetcher::State::finish(const Job& job, const DecodedPicture& decoded) {
    if (shownJob_ && *shownJob_ == job) {
        shownOutcome_.emplace(job.path, decoded);
        shownJob_.reset();
    }
    // A newer request that no longer wants this file wins: the picture is dropped.
    if (cache_.isWanted(job.path)) cache_.put(job.path, decoded);
    tell(job.path);
    idle_.notify_all();
}

void Prefetcher::State::run(size_t worker) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] {
            return stop_ || (!queue_.empty() && (started_ || queue_.front().shown));
        });
        if (stop_) break;
        const Job job = queue_.front();
        queue_.pop_front();
        // The window's file is decoded even when a failed decode of it is held: its outcome is
        // the window's to take.
        const bool done = !job.shown && cache_.answers(job.path, job.coverView);
        // Asked for again while the other worker decodes it: that decode serves.
        const bool running = std::find(inFlight_.begin(), inFlight_.end(), job) != inFlight_.end();
        if (done || running) {
            if (done) tell(job.path);
            idle_.notify_all();
            continue;
        }
        const bool png = pngPlugin_;
        inFlight_.push_back(job);
        if (job.shown) {
            // The window waits for it: no turn to wait for and no room to be had first. It is
            // held afterwards when there is room, like the picture the window shows.
            lock.unlock();
            DecodedPicture decoded = decode_(job.path, png, job.coverView);
            lock.lock();
            inFlight_.erase(std::find(inFlight_.begin(), inFlight_.end(), job));
            ++decodes_;
            finish(job, decoded);
            continue;
        }
        const uint64_t myTurn = turnsGiven_++;
        turns_.insert(myTurn);
        lock.unlock();

        // A picture that could never be held is not decoded at all. Its room is kept while it
        // is decoded, so the held pictures and those being decoded stay within the budget
        // together, however many workers there are.
        const int64_t estimate = PictureFile::estimateBytes(job.path, job.coverView);
        bool fits = true;
        int64_t reserved = 0;
        lock.lock();
        // One ahead in turn may be stuck reading (a file on a hung share): after a while those
        // ahead lose their turn, so the other worker goes on.
        const bool inTurn = turn_.wait_for(lock, std::chrono::milliseconds(kTurnWaitMs), [&] {
            return stop_ || turns_.count(myTurn) == 0 || *turns_.begin() == myTurn;
        });
        if (stop_) break;
        if (!inTurn) turns_.erase(turns_.begin(), turns_.find(myTurn));
        if (estimate >= 0) {
            fits = cache_.reserve(job.path, estimate);
            if (fits) reserved = estimate;
        }
        turns_.erase(myTurn);
        turn_.notify_all();
        lock.unlock();
        DecodedPicture decoded;
        if (fits) decoded = decode_(job.path, png, job.coverView);

        lock.lock();
        cache_.release(reserved);
        inFlight_.erase(std::find(inFlight_.begin(), inFlight_.end(), job));
        if (fits) {
            ++decodes_;
            finish(job, decoded);
        } else if (shownJob_ && *shownJob_ == job) {
            // Passed over for want of room while the window came to wait for it: decoded as
            // the window's own after all.
            queue_.push_front(*shownJob_);
            wake_.notify_all();
        } else {
            tell(job.path);
            idle_.notify_all();
        }
    }
    ended_[worker] = true;
    endedCv_.notify_all();
}

int Prefetcher::defaultWorkers() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

Prefetcher::Prefetcher(FileSystem& fs, int64_t budgetBytes, int workers, Decode decode)
    : budget_(budgetBytes),
      state_(std::make_shared<State>(
          fs, budgetBytes,
          decode ? std::move(decode)
                 : Decode([&fs](const QString& path, bool png, const QSize& cover) {
                       return decodePictureFile(fs, path, png, cover);
                   }),
          std::max(1, workers))) {
    for (size_t i = 0; i < size_t(std::max(1, workers)); ++i)
        workers_.emplace_back([state = state_, i] { state->run(i); });
}

Prefetcher::~Prefetcher() {
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex_);
    s.stop_ = true;
    s.queue_.clear();
    s.wake_.notify_all();
    s.turn_.notify_all();
    s.endedCv_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [&s] {
        return std::all_of(s.ended_.begin(), s.ended_.end(), [](bool e) { return e; });
    });
    const std::vector<bool> ended = s.ended_;
    lock.unlock();
    for (size_t i = 0; i < workers_.size(); ++i) {
        if (ended[i]) {
            workers_[i].join();
        } else {
            // Blocked in a system call that may never return: it keeps the state alive and
            // leaves it when it ends.
            workers_[i].detach();
            ++abandoned;
        }
    }
}

int Prefetcher::abandonedWorkers() { return abandoned.load(); }

void Prefetcher::setFinished(Finished finished) {
    std::lock_guard<std::mutex> lock(state_->mutex_);
    state_->finished_ = std::move(finished);
}

void Prefetcher::request(const QString& shown, const std::vector<Job>& ahead, bool pngPlugin,
                         bool startNow) {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> lock(s.mutex_);
        s.started_ = startNow;
        s.pngPlugin_ = pngPlugin;
        std::vector<QString> wanted{shown};
        s.queue_.clear();
        // The window's own file stays first; one it no longer shows is forgotten.
        if (s.shownJob_ && s.shownJob_->path != shown) s.shownJob_.reset();
        if (s.shownJob_ && std::find(s.inFlight_.begin(), s.inFlight_.end(), *s.shownJob_) ==
                               s.inFlight_.end())
            s.queue_.push_back(*s.shownJob_);
        for (const Job& job : ahead) {
            if (job.path.isEmpty() || std::find(wanted.begin(), wanted.end(), job.path) != wanted.end())
                continue;
            wanted.push_back(job.path);
            s.queue_.push_back(job);
        }
        s.cache_.setWanted(std::move(wanted));
    }
    s.wake_.notify_all();
}

void Prefetcher::start() {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> lock(s.mutex_);
        if (s.started_) return;
        s.started_ = true;
    }
    s.wake_.notify_all();
}

void Prefetcher::keep(const QString& path, const DecodedPicture& decoded) {
    std::lock_guard<std::mutex> lock(state_->mutex_);
    state_->cache_.put(path, decoded);
}

bool Prefetcher::take(const QString& path, const QSize& coverView, DecodedPicture* out) {
    State& s = *state_;
    std::lock_guard<std::mutex> lock(s.mutex_);
    return s.cache_.take(path, coverView, out);
}

Prefetcher::Status Prefetcher::statusOf(const QString& path, const QSize& coverView) {
    State& s = *state_;
    std::lock_guard<std::mutex> lock(s.mutex_);
    if (s.cache_.answers(path, coverView)) return Status::Ready;
    if (s.inFlight(path) || s.queued(path)) return Status::Pending;
    return Status::NotPlanned;
}

void Prefetcher::decodeShown(const QString& path, const QSize& coverView, bool pngPlugin) {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> lock(s.mutex_);
        const Job job{path, coverView, true};
        s.shownJob_ = job;
        s.shownOutcome_.reset();
        s.pngPlugin_ = pngPlugin;
        s.queue_.erase(std::remove_if(s.queue_.begin(), s.queue_.end(),
                                      [&path](const Job& j) { return j.path == path; }),
                       s.queue_.end());
        if (std::find(s.inFlight_.begin(), s.inFlight_.end(), job) == s.inFlight_.end())
            s.queue_.push_front(job);
    }
    s.wake_.notify_all();
}

bool Prefetcher::decodingAhead(const QString& path) const {
    std::lock_guard<std::mutex> lock(state_->mutex_);
    return state_->inFlight(path);
}

bool Prefetcher::waitShown(int timeoutMs) {
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex_);
    return s.idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&s] { return s.shownOutcome_.has_value(); });
}

bool Prefetcher::takeShown(const QString& path, DecodedPicture* out) {
    State& s = *state_;
    std::lock_guard<std::mutex> lock(s.mutex_);
    if (!s.shownOutcome_ || s.shownOutcome_->first != path) return false;
    *out = std::move(s.shownOutcome_->second);
    s.shownOutcome_.reset();
    return true;
}

void Prefetcher::clear() {
    State& s = *state_;
    std::lock_guard<std::mutex> lock(s.mutex_);
    s.queue_.clear();
    s.cache_.clear();
    s.shownJob_.reset();
    s.shownOutcome_.reset();
}

bool Prefetcher::waitIdle(int timeoutMs) {
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex_);
    if (!s.started_) {
        s.started_ = true;
        s.wake_.notify_all();
    }
    return s.idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&s] { return s.queue_.empty() && s.inFlight_.empty(); });
}

int64_t Prefetcher::heldBytes() const {
    std::lock_guard<std::mutex> lock(state_->mutex_);
    return state_->cache_.heldBytes();
}

int Prefetcher::decodeCount() const {
    std::lock_guard<std::mutex> lock(state_->mutex_);
    return state_->decodes_;
}
