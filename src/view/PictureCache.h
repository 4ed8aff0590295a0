#pragma once
// Decoded pictures held for coming back to, within a memory budget.

#include <QSize>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

#include "view/PictureFile.h"

// One picture per file: full size, or reduced for the largest view it covers. The budget counts
// the held pictures and the room reserved for decodes in progress, so both together stay within
// it. Room is made by dropping the least wanted picture first (a file not wanted at all before
// any wanted one), among equals the one unused longest; never one as wanted as the picture that
// needs the room. A picture is handed out only while its file's stamp still matches.
//
// No threads and no lock: the caller serialises every call (the prefetcher under its own lock).
class PictureCache {
public:
    // `fs` tells whether a held picture's file is still the one decoded; it is called under the
    // owner's lock, from any thread.
    PictureCache(FileSystem& fs, int64_t budgetBytes) : fs_(fs), budget_(budgetBytes) {}

    // The files wanted now, most wanted first (the shown one first).
    void setWanted(std::vector<QString> mostWantedFirst);
    bool isWanted(const QString& path) const { return rankOf(path) != kUnwanted; }

    // Keeps `bytes` of room for a decode of `path` until release, dropping less wanted pictures
    // for it. False, with nothing dropped, when the room cannot be had.
    bool reserve(const QString& path, int64_t bytes);
    void release(int64_t bytes) { reservedBytes_ -= bytes; }

    // Holds `decoded` for `path` in place of what was held for it. Not held: a decode of a file
    // that changed while it was read, or one that finds no room.
    void put(const QString& path, const DecodedPicture& decoded);
    // A held picture usable for `coverView`, or a held failed decode: nothing left to decode.
    bool answers(const QString& path, const QSize& coverView) const;
    // The held picture of `path` usable for `coverView`, when its file is unchanged; a stale
    // one is dropped. Counts as a use.
    bool take(const QString& path, const QSize& coverView, DecodedPicture* out);
    // Drops every held picture and the wanted list; reservations stay until released.
    void clear();

    int64_t budget() const { return budget_; }
    int64_t heldBytes() const { return heldBytes_; }
    int64_t reservedBytes() const { return reservedBytes_; }

private:
    static constexpr int kUnwanted = 1 << 30;
    struct Entry {
        DecodedPicture decoded;
        uint64_t lastUse = 0;
    };
    // Usable for a view: full size for an invalid `coverView`, else pixels that cover the
    // stretched rectangle of that view.
    static bool usable(const DecodedPicture& d, const QSize& coverView);
    int rankOf(const QString& path) const;  // lower is more wanted
    bool makeRoom(int64_t bytes, int rank);
    void drop(std::map<QString, Entry>::iterator it);

    FileSystem& fs_;
    const int64_t budget_;
    std::vector<QString> wanted_;
    std::map<QString, Entry> held_;
    int64_t heldBytes_ = 0;
    int64_t reservedBytes_ = 0;
    uint64_t clock_ = 0;
};
