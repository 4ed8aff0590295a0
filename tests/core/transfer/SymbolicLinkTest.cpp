// A picture listed through a symbolic link: moved, it still reaches its picture (a relative
// target rewritten, a link made again on another file system); copied, its bytes are copied;
// trashed, the link itself goes and comes back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "FileOpsTestUtil.h"
#include "TestSupport.h"
#include "core/Transfer.h"
#include "core/Undo.h"

namespace {

using Transfer::Deletion;
using Transfer::Kind;

class SymbolicLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"originals", "list", "dst"}) QDir().mkpath(tmp.file(f));
        EmptyFolder(TrashFolder());
        WriteRaw(QFile::encodeName(tmp.file("originals/x.jpg")), kBytes);
        ASSERT_EQ(::symlink("../originals/x.jpg", QFile::encodeName(link()).constData()), 0);
    }
    QString link() const { return tmp.file("list/x.jpg"); }
    // The link's target, or "" when `path` is no symbolic link.
    static QByteArray TargetOf(const QString& path) {
        char buffer[4096];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
        return n < 0 ? QByteArray() : QByteArray(buffer, int(n));
    }
    // Whether `path` is a link that reaches the original picture.
    ::testing::AssertionResult ReachesOriginal(const QString& path) {
        struct stat a, b;
        if (TargetOf(path).isEmpty()) return ::testing::AssertionFailure() << path.toStdString() << " is no link";
        if (::stat(QFile::encodeName(path).constData(), &a) != 0 ||
            ::stat(QFile::encodeName(tmp.file("originals/x.jpg")).constData(), &b) != 0 || a.st_ino != b.st_ino)
            return ::testing::AssertionFailure() << path.toStdString() << " -> " << TargetOf(path).constData()
                                                 << " does not reach the picture";
        return ::testing::AssertionSuccess();
    }

    const QByteArray kBytes = Pattern(5000, 41);
    TempDir tmp;
    PosixFileSystem fs;
};

TEST_F(SymbolicLinkTest, AMovedLinkStillReachesItsPictureAndComesBack) {
    const Transfer::Result moved = Transfer::move(fs, link(), tmp.file("dst/"));
    ASSERT_TRUE(moved.done()) << moved.error.reason.toStdString();
    EXPECT_TRUE(ReachesOriginal(tmp.file("dst/x.jpg")));
    EXPECT_FALSE(QFileInfo::exists(link()));
    ASSERT_TRUE(Transfer::undo(fs, moved).done());
    EXPECT_EQ(TargetOf(link()), "../originals/x.jpg");
    EXPECT_TRUE(RawContents(tmp.file("dst")).empty());

    // Over an older file of that name: the link replaces it, still reaching its picture.
    WriteRaw(QFile::encodeName(tmp.file("dst/x.jpg")), "older");
    ASSERT_TRUE(Transfer::overwrite(fs, Kind::Move, link(), tmp.file("dst/x.jpg"), Deletion::Directly).done());
    EXPECT_TRUE(ReachesOriginal(tmp.file("dst/x.jpg")));
    EXPECT_FALSE(QFileInfo::exists(link()));
}

TEST_F(SymbolicLinkTest, AcrossFileSystemsALinkIsMadeAgainNotCopied) {
    TmpfsMount other("size=1m");
    if (!other.mounted()) GTEST_SKIP() << other.reason().toStdString();
    const Transfer::Result moved = Transfer::move(fs, link(), other.path() + "/");
    ASSERT_TRUE(moved.done()) << moved.error.reason.toStdString();
    EXPECT_TRUE(ReachesOriginal(other.path() + "/x.jpg"));
    ASSERT_TRUE(Transfer::undo(fs, moved).done());
    EXPECT_TRUE(ReachesOriginal(link()));
}

TEST_F(SymbolicLinkTest, ACopyCopiesThePicturesBytes) {
    ASSERT_TRUE(Transfer::copy(fs, link(), tmp.file("dst/"), false).done());
    EXPECT_EQ(RawContents(tmp.file("dst")), (std::map<QByteArray, QByteArray>{{"x.jpg", kBytes}}));
    EXPECT_TRUE(ReachesOriginal(link()));
}

TEST_F(SymbolicLinkTest, ATrashedLinkIsTheLinkAndComesBack) {
    const Transfer::Result trashed = Transfer::remove(fs, link(), Deletion::ToTrash);
    ASSERT_TRUE(trashed.done()) << trashed.error.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(link()));
    EXPECT_EQ(RawContents(tmp.file("originals")).size(), 1u);
    const Transfer::UndoResult u = Transfer::undo(fs, trashed);
    EXPECT_TRUE(u.done()) << int(u.status);
    EXPECT_TRUE(ReachesOriginal(link()));

    ASSERT_TRUE(Transfer::remove(fs, link(), Deletion::Directly).done());
    EXPECT_EQ(RawContents(tmp.file("originals")).size(), 1u) << "a direct delete removes the link only";
}

}  // namespace
