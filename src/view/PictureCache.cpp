#include "view/PictureCache.h"

#include <algorithm>
#include <optional>

#include "view/ViewGeometry.h"

void PictureCache::setWanted(std::vector<QString> mostWantedFirst) {
    wanted_ = std::move(mostWantedFirst);
}

int PictureCache::rankOf(const QString& path) const {
    const auto it = std::find(wanted_.begin(), wanted_.end(), path);
    return it == wanted_.end() ? kUnwanted : int(it - wanted_.begin());
}

bool PictureCache::usable(const DecodedPicture& d, const QSize& coverView) {
    if (!d.ok) return false;
    if (!coverView.isValid()) return !d.picture.isReduced();
    const std::optional<QSize> dest = ViewGeometry::stretchSize(
        d.picture.width(), d.picture.height(), coverView.width(), coverView.height());
    return !dest || d.picture.covers(*dest);
}

void PictureCache::drop(std::map<QString, Entry>::iterator it) {
    heldBytes_ -= it->second.decoded.picture.bytes();
    held_.erase(it);
}

bool PictureCache::makeRoom(int64_t bytes, int rank) {
    if (bytes > budget_) return false;
    int64_t over = heldBytes_ + reservedBytes_ + bytes - budget_;
    if (over <= 0) return true;
    // Only pictures less wanted than the one that needs the room may go: the least wanted
    // first, among equals the one unused longest. Chosen before any is dropped, so pictures
    // are never dropped for room that cannot be had.
    std::vector<std::map<QString, Entry>::iterator> candidates;
    for (auto it = held_.begin(); it != held_.end(); ++it)
        if (rankOf(it->first) > rank) candidates.push_back(it);
    std::sort(candidates.begin(), candidates.end(), [this](const auto& a, const auto& b) {
        const int ra = rankOf(a->first), rb = rankOf(b->first);
        return ra != rb ? ra > rb : a->second.lastUse < b->second.lastUse;
    });
    size_t victims = 0;
    while (over > 0 && victims < candidates.size())
        over -= candidates[victims++]->second.decoded.picture.bytes();
    if (over > 0) return false;
    for (size_t i = 0; i < victims; ++i) drop(candidates[i]);
    return true;
}

bool PictureCache::reserve(const QString& path, int64_t bytes) {
    if (!makeRoom(bytes, rankOf(path))) return false;
    reservedBytes_ += bytes;
    return true;
}

void PictureCache::put(const QString& path, const DecodedPicture& decoded) {
    const auto old = held_.find(path);
    if (old != held_.end()) drop(old);
    if (!decoded.stable) return;
    const int64_t bytes = decoded.picture.bytes();
    if (!makeRoom(bytes, rankOf(path))) return;
    held_[path] = Entry{decoded, ++clock_};
    heldBytes_ += bytes;
}

bool PictureCache::answers(const QString& path, const QSize& coverView) const {
    const auto it = held_.find(path);
    return it != held_.end() && (!it->second.decoded.ok || usable(it->second.decoded, coverView));
}

bool PictureCache::take(const QString& path, const QSize& coverView, DecodedPicture* out) {
    const auto it = held_.find(path);
    if (it == held_.end() || !usable(it->second.decoded, coverView)) return false;
    FileVersion now;
    if (!stampOf(fs_, path, &now) || now != it->second.decoded.stamp) {
        // Changed on disk since it was decoded: decoded again by whoever needs it.
        drop(it);
        return false;
    }
    it->second.lastUse = ++clock_;
    *out = it->second.decoded;
    return true;
}

void PictureCache::clear() {
    wanted_.clear();
    held_.clear();
    heldBytes_ = 0;
}
