#include "Prefetcher.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <chrono>
#include <climits>

#include "FileSystem.h"
#include "OtherFormats.h"
#include "PngPlugin.h"
#include "ViewGeometry.h"

namespace {
std::mutex& pluginMutex() {
    static std::mutex m;
    return m;
}

bool isPngName(const QString& path) {
    return path.right(3).compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

// Bytes a decode of `path` for `coverView` will take, from the header alone; -1 when unknown.
int64_t estimateBytes(const QString& path, const QSize& coverView) {
    if (isPngName(path)) return -1;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid()) return -1;
    QSize pixels = size;
    if (reader.format() == "jpeg" && coverView.isValid()) {
        const bool rotated =
            (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
        pixels = PictureDecoder::reducedSize(size, rotated, coverView);
    }
    return int64_t(pixels.width()) * pixels.height() * 4;
}
}  // namespace

bool stampOf(const QString& path, FileStamp* out) {
    FileStatus st;
    if (!PosixFileSystem().Stat(path, &st, nullptr) || !st.isRegular) return false;
    out->size = st.size;
    out->mtimeNs = st.mtimeSec * 1000000000 + st.mtimeNsec;
    out->ctimeNs = st.ctimeSec * 1000000000 + st.ctimeNsec;
    out->inode = st.inode;
    out->device = st.device;
    return true;
}

DecodedPicture decodePictureFile(const QString& path, bool pngPlugin, const QSize& coverView) {
    DecodedPicture d;
    FileStamp before;
    const bool stamped = stampOf(path, &before);
    d.pngRoute = isPngName(path);
    if (d.pngRoute) {
        if (!pngPlugin) return d;
        QImage image;
        {
            std::lock_guard<std::mutex> lock(pluginMutex());
            d.pngCode = PngPlugin::loadPngWithPlugin(&image, path);
        }
        d.ok = (d.pngCode == 0);
        if (d.ok) {
            // The plug-in knows nothing of colour profiles: its pixels are converted from the
            // file's iCCP chunk here.
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) OtherFormats::convertFromEmbeddedProfile(&file, &image);
            d.picture = PictureBuffer(std::move(image));
        }
    } else {
        QImage image;
        QSize natural;
        d.outcome = PictureDecoder::decode(path, &image, coverView, &natural);
        d.ok = (d.outcome == PictureDecoder::Outcome::Decoded);
        if (d.ok) d.picture = PictureBuffer(std::move(image), natural);
    }
    if (d.ok && coverView.isValid()) {
        const std::optional<QSize> dest = ViewGeometry::stretchSize(
            d.picture.width(), d.picture.height(), coverView.width(), coverView.height());
        if (dest) d.picture.prepareStretched(*dest);
    }
    FileStamp after;
    d.stable = stamped && stampOf(path, &after) && after == before;
    d.stamp = before;
    return d;
}

int Prefetcher::defaultWorkers() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

Prefetcher::Prefetcher(int64_t budgetBytes, int workers) : budget_(budgetBytes) {
    for (int i = 0; i < std::max(1, workers); ++i) workers_.emplace_back([this] { run(); });
}

Prefetcher::~Prefetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

bool Prefetcher::inFlight(const QString& path) const {
    return std::any_of(inFlight_.begin(), inFlight_.end(), [&path](const Job& j) { return j.path == path; });
}

bool Prefetcher::usable(const DecodedPicture& d, const QSize& coverView) {
    if (!d.ok) return false;
    if (!coverView.isValid()) return !d.picture.isReduced();
    const std::optional<QSize> dest = ViewGeometry::stretchSize(
        d.picture.width(), d.picture.height(), coverView.width(), coverView.height());
    return !dest || d.picture.covers(*dest);
}

int Prefetcher::priorityOf(const QString& path) const {
    const auto it = std::find(wanted_.begin(), wanted_.end(), path);
    return it == wanted_.end() ? INT_MAX : int(it - wanted_.begin());
}

bool Prefetcher::makeRoom(int64_t bytes, int priority) {
    if (bytes > budget_) return false;
    while (heldBytes_ + reservedBytes_ + bytes > budget_) {
        // The least wanted, and among equals the longest unused, goes first.
        auto victim = held_.end();
        int victimPriority = -1;
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            const int p = priorityOf(it->first);
            if (p > victimPriority ||
                (p == victimPriority && it->second.lastUse < victim->second.lastUse)) {
                victim = it;
                victimPriority = p;
            }
        }
        if (victim == held_.end() || victimPriority <= priority) return false;
        heldBytes_ -= victim->second.decoded.picture.bytes();
        held_.erase(victim);
    }
    return true;
}

void Prefetcher::insert(const QString& path, const DecodedPicture& decoded) {
    const auto old = held_.find(path);
    if (old != held_.end()) {
        heldBytes_ -= old->second.decoded.picture.bytes();
        held_.erase(old);
    }
    if (!decoded.stable) return;
    const int64_t bytes = decoded.picture.bytes();
    if (!makeRoom(bytes, priorityOf(path))) return;
    held_[path] = Entry{decoded, ++clock_};
    heldBytes_ += bytes;
}

void Prefetcher::request(const QString& shown, const std::vector<Job>& ahead, bool pngPlugin,
                         bool startNow) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = startNow;
        pngPlugin_ = pngPlugin;
        wanted_.clear();
        wanted_.push_back(shown);
        queue_.clear();
        for (const Job& job : ahead) {
            if (job.path.isEmpty() ||
                std::find(wanted_.begin(), wanted_.end(), job.path) != wanted_.end())
                continue;
            wanted_.push_back(job.path);
            queue_.push_back(job);
        }
    }
    wake_.notify_all();
}

void Prefetcher::start() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (started_) return;
        started_ = true;
    }
    wake_.notify_all();
}

void Prefetcher::keep(const QString& path, const DecodedPicture& decoded) {
    std::lock_guard<std::mutex> lock(mutex_);
    insert(path, decoded);
}

bool Prefetcher::take(const QString& path, const QSize& coverView, DecodedPicture* out) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = held_.find(path);
    if (it == held_.end() || !usable(it->second.decoded, coverView)) return false;
    FileStamp now;
    if (!stampOf(path, &now) || now != it->second.decoded.stamp) {
        // Changed on disk since it was decoded: decoded again by whoever needs it.
        heldBytes_ -= it->second.decoded.picture.bytes();
        held_.erase(it);
        return false;
    }
    it->second.lastUse = ++clock_;
    *out = it->second.decoded;
    return true;
}

Prefetcher::Status Prefetcher::statusOf(const QString& path, const QSize& coverView) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = held_.find(path);
    if (it != held_.end() && (!it->second.decoded.ok || usable(it->second.decoded, coverView)))
        return Status::Ready;
    if (inFlight(path)) return Status::Pending;
    for (const Job& job : queue_)
        if (job.path == path) return Status::Pending;
    return Status::NotPlanned;
}

bool Prefetcher::awaitPending(const QString& path, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto queued = [this, &path] {
        return std::find_if(queue_.begin(), queue_.end(),
                            [&path](const Job& j) { return j.path == path; });
    };
    const auto it = queued();
    if (it != queue_.end() && it != queue_.begin()) {
        const Job job = *it;
        queue_.erase(it);
        queue_.push_front(job);
    }
    if (!started_) {
        started_ = true;
        wake_.notify_all();
    }
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return !inFlight(path) && queued() == queue_.end();
    });
}

void Prefetcher::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    wanted_.clear();
    held_.clear();
    heldBytes_ = 0;
}

bool Prefetcher::waitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!started_) {
        started_ = true;
        wake_.notify_all();
    }
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return queue_.empty() && inFlight_.empty(); });
}

int64_t Prefetcher::heldBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heldBytes_;
}

int Prefetcher::decodeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return decodes_;
}

void Prefetcher::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || (started_ && !queue_.empty()); });
        if (stop_) return;
        const Job job = queue_.front();
        queue_.pop_front();
        const auto held = held_.find(job.path);
        const bool done = held != held_.end() &&
                          (!held->second.decoded.ok || usable(held->second.decoded, job.coverView));
        // Asked for again while the other worker decodes it: that decode serves.
        const bool running = std::find(inFlight_.begin(), inFlight_.end(), job) != inFlight_.end();
        if (done || running) {
            idle_.notify_all();
            continue;
        }
        const bool png = pngPlugin_;
        const uint64_t myTurn = turnsGiven_++;
        inFlight_.push_back(job);
        lock.unlock();

        // A picture that could never be held is not decoded at all. Its room is kept while it
        // is decoded, so the held pictures and those being decoded stay within the budget
        // together, however many workers there are.
        const int64_t estimate = estimateBytes(job.path, job.coverView);
        bool fits = true;
        int64_t reserved = 0;
        lock.lock();
        turn_.wait(lock, [&] { return turnsTaken_ == myTurn; });
        if (estimate >= 0) {
            fits = makeRoom(estimate, priorityOf(job.path));
            if (fits) reservedBytes_ += reserved = estimate;
        }
        ++turnsTaken_;
        turn_.notify_all();
        lock.unlock();
        DecodedPicture decoded;
        if (fits) decoded = decodePictureFile(job.path, png, job.coverView);

        lock.lock();
        reservedBytes_ -= reserved;
        inFlight_.erase(std::find(inFlight_.begin(), inFlight_.end(), job));
        if (fits) {
            ++decodes_;
            // A newer request that no longer wants this file wins: the picture is dropped.
            if (priorityOf(job.path) != INT_MAX) insert(job.path, decoded);
        }
        idle_.notify_all();
    }
}
