#pragma once
#include <QString>

#include <vector>

#include "platform/FileSystem.h"
#include "core/TransferPlan.h"
#include "core/TransferResult.h"

// Why a file operation failed, in Japanese whatever the locale, and what its message names.
namespace Transfer {

// One line of the reason table: an errno and what it means to someone sorting photos.
struct ErrnoReason {
    int code;
    const char* text;  // UTF-8
};

// The reason table: every errno a file operation can give, once each.
const std::vector<ErrnoReason>& errnoReasons();

// The Japanese reason for `error`, one line: by its cause, else by its errno from the table; an
// errno the table lacks shows its number and the system's own text, so it is never empty.
QString reasonFor(const FsError& error);

// The hint of a move that copy mode would carry out.
QString copyModeHint();

// What follows the first line of a failed transfer's or delete's message: the reason, the hint
// when copy mode would do, then the file and its folder or folders.
QString failureDetails(const Result& result);

// Fills in what the message of a refused or failed `result` of carrying out `plan` names: the
// source and the destination (the slot's folder when that is missing), and whether the move
// failed only because the source's folder takes no change (a write-protected card) while the
// destination's does; both folders are tried with a temporary file, removed at once.
void noteFailure(FileSystem& fs, const Plan& plan, Kind kind, Result* result);

}  // namespace Transfer
