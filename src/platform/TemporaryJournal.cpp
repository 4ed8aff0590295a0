#include "platform/TemporaryJournal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace {

QByteArray escaped(const QString& path) {
    QByteArray out;
    for (const char c : FsPath::encodePath(path)) {
        if (c == '%') out += "%25";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else out += c;
    }
    return out + '\n';
}

bool exists(const QString& path) {
    struct stat st;
    return ::lstat(FsPath::encodePath(path).constData(), &st) == 0 || errno != ENOENT;
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

}  // namespace

TemporaryJournal::TemporaryJournal(const QString& file) : file_(file) {
    const int fd = ::open(FsPath::encodePath(file_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    QByteArray all;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) all.append(buffer, int(n));
    ::close(fd);
    for (const QByteArray& line : all.split('\n')) {
        if (line.isEmpty()) continue;
        const QString path = FsPath::decodeName(QByteArray::fromPercentEncoding(line));
        if (exists(path) && !noted_.contains(path)) noted_.append(path);
    }
    leftovers_ = noted_;
    if (noted_.size() != all.count('\n')) rewrite();
}

void TemporaryJournal::note(const QString& temporary) {
    noted_.append(temporary);
    const int fd = ::open(FsPath::encodePath(file_).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;  // no config folder: nothing to say at the next start, nothing fails
    writeAll(fd, escaped(temporary));
    ::close(fd);
}

void TemporaryJournal::settle() {
    if (noted_.isEmpty()) return;
    const qsizetype before = noted_.size();
    noted_.erase(std::remove_if(noted_.begin(), noted_.end(), [](const QString& p) { return !exists(p); }),
                 noted_.end());
    if (noted_.size() != before) rewrite();
}

void TemporaryJournal::rewrite() {
    const QByteArray path = FsPath::encodePath(file_);
    if (noted_.isEmpty()) {
        ::unlink(path.constData());
        return;
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    QByteArray all;
    for (const QString& p : noted_) all += escaped(p);
    writeAll(fd, all);
    ::close(fd);
}
