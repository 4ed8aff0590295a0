#pragma once
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/TransferResult.h"

// The sorting actions of this run that can be taken back, the latest last.
class History {
public:
    // A slot's next number that an action moved on: it steps back with the action, as long as
    // no later action moved it further (the slot still holds `after`).
    struct Number {
        int page = 0;
        int slot = 0;
        QString folder;  // the slot's folder then: the same slot, should pages have moved
        int32_t before = 0;
        int32_t after = 0;
    };
    struct Entry {
        Transfer::Result done;
        std::optional<Number> number;
        int failedUndos = 0;  // undos of it that failed in a row
    };

    // A new action: failed undos of the one before it no longer count as in a row.
    void push(Entry entry) {
        if (!entries_.empty()) entries_.back().failedUndos = 0;
        entries_.push_back(std::move(entry));
    }
    bool empty() const { return entries_.empty(); }
    const Entry& last() const { return entries_.back(); }
    void dropLast() { entries_.pop_back(); }
    // Counts a failed undo of the last action; gives how many in a row there have been.
    int noteFailedUndo() { return ++entries_.back().failedUndos; }

private:
    std::vector<Entry> entries_;
};
