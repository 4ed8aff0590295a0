#include "ui/TransferRecorder.h"

#include <QDir>

#include "core/FailureReasons.h"
#include "platform/MsgBox.h"

namespace {
// A slot's folder may be written relative to the program's folder, the working directory.
QString absolute(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/'))) return path;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}
}  // namespace

TransferRecorder::TransferRecorder(const Options& options, const QString& programDir, MsgBox& msg, QObject* parent)
    : QObject(parent),
      options_(options),
      file_(programDir + QStringLiteral("/config/転送記録.tsv")),
      msg_(msg) {}

void TransferRecorder::record(std::optional<TransferRecord::Entry> entry) {
    if (!entry) return;
    entry->source = absolute(entry->source);
    entry->destination = absolute(entry->destination);
    entries_.push_back(*entry);
    if (options_.transferLog) {
        const std::optional<FsError> failure = file_.append(*entry);
        if (failure && !failureTold_)
            msg_.ask(QStringLiteral("転送記録を書き込めませんでした（ファイルの転送そのものは済んでいます）。\n") +
                      Transfer::reasonFor(*failure) + QStringLiteral("\n") + file_.path());
        failureTold_ = failure.has_value();
    }
    emit added(entries_.back());
}
