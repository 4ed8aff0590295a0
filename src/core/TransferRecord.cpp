#include "core/TransferRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/NativePath.h"

namespace TransferRecord {

namespace {

QString isoTime(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::optional<Kind> kindOf(Transfer::Action action) {
    switch (action) {
        case Transfer::Action::Moved:
        case Transfer::Action::MovedOver: return Kind::Moved;
        case Transfer::Action::Copied:
        case Transfer::Action::CopiedOver: return Kind::Copied;
        case Transfer::Action::Trashed: return Kind::Trashed;
        case Transfer::Action::Deleted: return Kind::Deleted;
        case Transfer::Action::None: break;
    }
    return std::nullopt;
}

// Where the action left the file: its destination, or its place in the trash.
QString leftAt(const Transfer::Result& action) {
    return action.action == Transfer::Action::Trashed ? action.trashEntry.file : action.destination;
}

}  // namespace

QString Entry::fileName() const { return FsPath::nameOf(kind == Kind::Undone ? destination : source); }

QString Entry::folderNow() const { return FsPath::folderOf(destination.isEmpty() ? source : destination); }

QString kindName(Kind kind) {
    switch (kind) {
        case Kind::Moved: return QStringLiteral("移動");
        case Kind::Copied: return QStringLiteral("コピー");
        case Kind::Trashed: return QStringLiteral("ごみ箱");
        case Kind::Deleted: return QStringLiteral("削除");
        case Kind::Undone: return QStringLiteral("元に戻した");
    }
    return QString();
}

std::optional<Entry> entryFor(const Transfer::Result& result, const QDateTime& time) {
    const std::optional<Kind> kind = kindOf(result.action);
    if (!result.done() || !kind) return std::nullopt;
    return Entry{time, *kind, result.source, leftAt(result), result.sourceStatus.size};
}

std::optional<Entry> entryForUndo(const Transfer::UndoResult& undone, const Transfer::Result& action,
                                  const QDateTime& time) {
    if (!undone.backAtSource && !undone.goneFromDestination) return std::nullopt;
    return Entry{time, Kind::Undone, leftAt(action), action.source, action.sourceStatus.size};
}

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool pairedLow = i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode());
        if (c == u'\t') out += QStringLiteral("\\t");
        else if (c == u'\n') out += QStringLiteral("\\n");
        else if (c == u'\r') out += QStringLiteral("\\r");
        else if (c == u'\\') out += QStringLiteral("\\\\");
        else if (c >= 0xDC80 && c <= 0xDCFF && !pairedLow)
            out += QStringLiteral("\\x") + QString::number(int(c - 0xDC00), 16).toUpper();
        else out += text.at(i);
    }
    return out;
}

QByteArray lineOf(const Entry& entry) {
    const QChar tab = QLatin1Char('\t');
    const QString line = isoTime(entry.time) + tab + kindName(entry.kind) + tab + escaped(entry.source) + tab +
                         escaped(entry.destination) + tab + QString::number(entry.size) + QLatin1Char('\n');
    return line.toUtf8();
}

File::File(QString path, int64_t limit) : path_(std::move(path)), limit_(limit) {}

QString File::keptPath() const {
    QString kept = path_;
    if (kept.endsWith(QLatin1String(".tsv"))) kept.chop(4);
    return kept + QStringLiteral(".1.tsv");
}

std::optional<FsError> File::append(const Entry& entry) {
    const QByteArray line = lineOf(entry);
    FsError err;
    NativePath path;
    if (!path.set(path_, &err)) return err;
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && st.st_size > 0 && st.st_size + line.size() > limit_) {
        NativePath kept;
        if (!kept.set(keptPath(), &err)) return err;
        // rename(2) replaces an older kept file in one step.
        if (::rename(path.constData(), kept.constData()) != 0) return FsPath::errorFor(errno);
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return FsPath::errorFor(errno);
    struct stat before {};
    const bool sized = ::fstat(fd, &before) == 0;
    const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    std::optional<FsError> failure;
    if (written < 0)
        failure = FsPath::errorFor(errno);
    else if (written != line.size())
        failure = FsPath::errorFor(ENOSPC);  // a full disk took part of the line
    // Part of a line would run into the next one: the file goes back to its last whole line.
    // The write's reason is the one to tell, should this fail too.
    if (failure && written > 0 && sized) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, before.st_size);
    }
    if (::close(fd) != 0 && !failure) failure = FsPath::errorFor(errno);
    return failure;
}

}  // namespace TransferRecord
