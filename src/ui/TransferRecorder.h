#pragma once
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

#include "core/Options.h"
#include "core/TransferRecord.h"

class MsgBox;

// This run's record of where every file went, kept for the record window and, with
// Options::transferLog on, appended to config/転送記録.tsv at once. A file that cannot be
// written is told once, not at every key, until a line goes in again.
class TransferRecorder : public QObject {
    Q_OBJECT
public:
    // `options` (the session's) is read at each entry, so the switch acts from the next one.
    TransferRecorder(const Options& options, const QString& programDir, MsgBox& msg, QObject* parent = nullptr);

    // Keeps `entry` (nothing: nothing happened) with its paths made absolute.
    void record(std::optional<TransferRecord::Entry> entry);

    const std::vector<TransferRecord::Entry>& entries() const { return entries_; }
    const QString& filePath() const { return file_.path(); }

signals:
    void added(const TransferRecord::Entry& entry);

private:
    const Options& options_;
    TransferRecord::File file_;
    MsgBox& msg_;
    std::vector<TransferRecord::Entry> entries_;
    bool failureTold_ = false;
};
