#include "FileOpsTestUtil.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"

std::map<QByteArray, QByteArray> RawContents(const QString& folder) {
    std::map<QByteArray, QByteArray> out;
    const QByteArray dirPath = FsPath::encodePath(folder);
    DIR* dir = opendir(dirPath.constData());
    if (!dir) return out;
    while (const dirent* e = readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..") continue;
        const QByteArray full = dirPath + '/' + name;
        struct stat st;
        if (lstat(full.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
            out[name] = QByteArray("<not a regular file>");
            continue;
        }
        QByteArray content;
        const int fd = open(full.constData(), O_RDONLY);
        char buf[65536];
        ssize_t n;
        while (fd >= 0 && (n = ::read(fd, buf, sizeof buf)) > 0) content.append(buf, int(n));
        if (fd >= 0) ::close(fd);
        out[name] = content;
    }
    closedir(dir);
    return out;
}

void WriteRaw(const QByteArray& path, const QByteArray& content) {
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.constData() << ": " << strerror(errno);
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

QByteArray Pattern(int n, char seed) {
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i) out[i] = char((i * 31 + seed * 7 + i / 251) & 0xFF);
    return out;
}

void EmptyFolder(const QString& folder) {
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                             QDir::NoDotAndDotDot)) {
        const QString full = dir.filePath(name);
        if (QFileInfo(full).isDir() && !QFileInfo(full).isSymLink()) QDir(full).removeRecursively();
        else QFile::remove(full);
    }
    // Names Qt cannot spell (invalid UTF-8) are removed byte-wise.
    for (const auto& [name, content] : RawContents(folder)) {
        ::unlink((FsPath::encodePath(folder) + '/' + name).constData());
    }
}

TmpfsMount::TmpfsMount(const char* options, bool readOnly, const char* source) {
    const QByteArray target = QFile::encodeName(dir_.path());
    if (mount(source, target.constData(), "tmpfs", readOnly ? MS_RDONLY : 0, options) == 0) {
        mounted_ = true;
    } else {
        reason_ = QStringLiteral("cannot mount a tmpfs here (%1); needs root or CAP_SYS_ADMIN")
                      .arg(QString::fromUtf8(strerror(errno)));
    }
}

TmpfsMount::~TmpfsMount() {
    if (mounted_) umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

namespace {

// GLib reads XDG_DATA_HOME once, so the test home is set before any test touches GIO.
class TrashHome : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(home_->isValid());
        qputenv("HOME", QFile::encodeName(home_->path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path() + QStringLiteral("/.local/share")));
        QDir().mkpath(home_->path() + QStringLiteral("/.local/share"));
        trash_ = home_->path() + QStringLiteral("/.local/share/Trash");
    }
    void TearDown() override { home_.reset(); }
    static QString trash_;

private:
    std::unique_ptr<QTemporaryDir> home_;
};
QString TrashHome::trash_;

[[maybe_unused]] ::testing::Environment* const kTrashHome =
    ::testing::AddGlobalTestEnvironment(new TrashHome);

}  // namespace

QString TrashFolder() { return TrashHome::trash_; }
