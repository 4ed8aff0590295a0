// Copy, move and overwrite under injected and real faults. One oracle for all: every source
// file's bytes exist under exactly the expected names (moved: once; copied: twice), no
// temporary or partial file remains anywhere, and a failure comes back with the reason.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "FaultMatrixFixture.h"
#include "core/TransferMessages.h"

using namespace faultmatrix;

namespace {

TEST_F(FaultMatrixTest, SameFileSystem) { Matrix(tmp.path()); }

TEST_F(FaultMatrixTest, AcrossFileSystems) {
    TmpfsMount m("size=8m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    // The trash of a tmpfs is GIO's business (it may refuse such mounts): direct delete only.
    deletion = Deletion::Directly;
    for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver}) {
        const bool old = op == Op::CopyOver || op == Op::MoveOver;
        EveryStep(op, m.path(), old, EIO);
        for (const auto& kinds : std::vector<std::set<Call>>{
                 {Call::Write}, {Call::Close}, {Call::Fsync},
                 {Call::RenameNoReplace, Call::RenameReplace}, {Call::Unlink}, {Call::Read}}) {
            EveryCallOf(op, m.path(), old, kinds);
        }
    }
}

// The slot's folder is on a tmpfs, which the trash does not take, and the old file is to go
// to the trash: that is known before anything is touched, and said. (Before, the source went
// first and came back as a copy: a new inode, its other name broken.)
TEST_F(FaultMatrixTest, AnOldFileTheTrashWillNotTakeStopsTheOverwriteFirst) {
    TmpfsMount m("size=8m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    deletion = Deletion::ToTrash;
    for (Op op : {Op::MoveOver, Op::CopyOver}) {
        SCOPED_TRACE(Name(op));
        Prepare(m.path(), true);
        PosixFileSystem real;
        FakeFileSystem fs(real);
        const Result r = Run(op, fs);
        EXPECT_EQ(r.step, Transfer::Step::CannotTrashOld);
        EXPECT_EQ(fs.CountOf(Call::CreateNew) + fs.CountOf(Call::HardLink) + fs.CountOf(Call::Unlink) +
                      fs.CountOf(Call::Trash),
                  0)
            << "nothing touched";
        Check(op, r, true);
        EXPECT_TRUE(Transfer::messageFor(r).startsWith(QStringLiteral("上書きされるファイルをごみ箱に入れられない")));
    }
}

TEST_F(FaultMatrixTest, FullDisk) {
    TmpfsMount m("size=1m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    const QByteArray big = Pattern(1536 * 1024, 23);
    for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver}) {
        SCOPED_TRACE(Name(op));
        const bool old = op == Op::CopyOver || op == Op::MoveOver;
        Prepare(m.path(), old);
        WriteRaw(QFile::encodeName(src_ + "/" + kName), big);
        PosixFileSystem fs;
        deletion = Deletion::Directly;
        EXPECT_EQ(Outcome(Run(op, fs)), "transfer failed: No space left on device");
        EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), big}}));
        const Contents wantDst = old ? Contents{{QFile::encodeName(kName), kOld}} : Contents{};
        EXPECT_EQ(RawContents(dst_), wantDst);
    }
    // Once the space is there again the same copy goes through.
    Prepare(m.path(), false);
    PosixFileSystem fs;
    EXPECT_TRUE(Run(Op::Copy, fs).done());
}

TEST_F(FaultMatrixTest, ReadOnlyDestination) {
    TempDir seed;
    TmpfsMount m("size=1m", true);
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    src_ = tmp.file("src");
    dst_ = m.path();
    QDir().mkpath(src_);
    WriteRaw(QFile::encodeName(src_ + "/a.jpg"), kNew);
    PosixFileSystem fs;
    for (Op op : {Op::Copy, Op::Move}) {
        EXPECT_EQ(Outcome(op == Op::Copy ? Transfer::copy(fs, src_ + "/a.jpg", dst_ + "/")
                                         : Transfer::move(fs, src_ + "/a.jpg", dst_ + "/")),
                  "transfer failed: Read-only file system");
        EXPECT_EQ(RawContents(src_), (Contents{{"a.jpg", kNew}}));
        EXPECT_TRUE(RawContents(dst_).empty());
    }
}

TEST_F(FaultMatrixTest, SourceRemovedAfterListing) {
    PosixFileSystem fs;
    for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver}) {
        SCOPED_TRACE(Name(op));
        const bool old = op == Op::CopyOver || op == Op::MoveOver;
        Prepare(tmp.path(), old);
        QStringList listed;
        FsError e;
        ASSERT_TRUE(fs.listRegularFiles(src_, &listed, &e));
        ASSERT_EQ(listed, QStringList({kName}));
        ASSERT_EQ(::unlink(QFile::encodeName(src_ + "/" + kName).constData()), 0);
        const Result result = Run(op, fs);
        EXPECT_FALSE(result.done());
        EXPECT_EQ(result.error.reason, QStringLiteral("No such file or directory"));
        EXPECT_TRUE(RawContents(src_).empty());
        const Contents wantDst = old ? Contents{{QFile::encodeName(kName), kOld}} : Contents{};
        EXPECT_EQ(RawContents(dst_), wantDst);
    }
}

// A photo still being written (a download, a camera import) is moved to another disk: what the
// writer adds after the copy must not go to a removed file. The source stays whole and listed,
// the partial copy goes, and the message says why.
TEST_F(FaultMatrixTest, ASourceStillBeingWrittenIsNotRemoved) {
    TmpfsMount m("size=4m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    deletion = Deletion::Directly;
    const QByteArray tail = Pattern(4096, 24);
    for (Op op : {Op::Move, Op::MoveOver}) {
        SCOPED_TRACE(Name(op));
        const bool old = op == Op::MoveOver;
        Prepare(m.path(), old);
        PosixFileSystem real;
        FakeFileSystem fs(real);
        bool appended = false;
        fs.beforeCall = [&](Call call, const QString&) {
            if (call != Call::Fsync || appended) return;  // the copy has read to the end
            QFile source(src_ + "/" + kName);
            ASSERT_TRUE(source.open(QIODevice::Append));
            source.write(tail);
            appended = true;
        };
        const Result result = Run(op, fs);
        EXPECT_TRUE(appended);
        EXPECT_EQ(Outcome(result), "transfer failed: " + FsPath::changedWhileCopied().reason.toStdString());
        EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), kNew + tail}}));
        const Contents wantDst = old ? Contents{{QFile::encodeName(kName), kOld}} : Contents{};
        EXPECT_EQ(RawContents(dst_), wantDst);
    }
}

// Tags and ratings desktop tools keep in user.* attributes travel with a copy and with a move to
// another disk; a destination that cannot hold them does not stop the copy.
TEST_F(FaultMatrixTest, UserAttributesTravelWithTheFile) {
    TmpfsMount m("size=4m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    deletion = Deletion::Directly;
    const std::map<QByteArray, QByteArray> attributes = {{"user.xdg.tags", "sea,best"},
                                                         {"user.baloo.rating", "8"}};
    auto tag = [&](const QString& path) {
        for (const auto& [name, value] : attributes) {
            if (setxattr(QFile::encodeName(path).constData(), name.constData(), value.constData(),
                         size_t(value.size()), 0) != 0)
                return false;
        }
        return true;
    };
    for (const QString& root : {tmp.path(), m.path()}) {
        for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver}) {
            SCOPED_TRACE(testing::Message() << Name(op) << " to " << root.toStdString());
            Prepare(root, op == Op::CopyOver || op == Op::MoveOver);
            const QString probe = dst_ + "/probe";
            WriteRaw(QFile::encodeName(probe), "x");
            const bool held = tag(probe);
            QFile::remove(probe);
            if (!held || !tag(src_ + "/" + kName))
                GTEST_SKIP() << "the file system of " << root.toStdString()
                             << " refuses user.* attributes (a tmpfs before Linux 6.6 does)";
            PosixFileSystem fs;
            const Result result = Run(op, fs);
            ASSERT_TRUE(result.done()) << Outcome(result);
            const QByteArray copy = QFile::encodeName(dst_ + "/" + kName);
            for (const auto& [name, value] : attributes) {
                char got[64] = {};
                const ssize_t n = getxattr(copy.constData(), name.constData(), got, sizeof got);
                EXPECT_EQ(QByteArray(got, int(std::max<ssize_t>(n, 0))), value) << name.constData();
            }
        }
    }
    Prepare(m.path(), false);
    ASSERT_TRUE(tag(src_ + "/" + kName));
    PosixFileSystem real;
    FakeFileSystem fs(real);
    fs.failKinds = {Call::KeepExtendedAttributes};
    fs.failErrno = EOPNOTSUPP;
    const Result result = Run(Op::Move, fs);
    EXPECT_TRUE(result.done());
    Check(Op::Move, result, false);
}

// A NUL inside a path would end it early for the kernel ("a.jpg\0x" naming "a.jpg"), so such a
// path is refused, short or long, and nothing is touched.
TEST_F(FaultMatrixTest, APathHoldingNulIsRefusedNotCutShort) {
    PosixFileSystem fs;
    Prepare(tmp.path(), false);
    const QString file = src_ + "/" + kName;
    // The NUL at each place in a group of eight characters, and in a path too long for the
    // short route.
    QStringList tails;
    for (int k = 0; k <= 8; ++k) tails << QString(k, QLatin1Char('x'));
    tails << QString(200, QLatin1Char('x'));
    for (const QString& tail : tails) {
        const QString cut = file + QChar(0) + tail;
        SCOPED_TRACE(cut.size());
        FsError e;
        FileStatus st;
        EXPECT_FALSE(fs.stat(cut, &st, &e));
        EXPECT_EQ(e.code, EINVAL);
        EXPECT_FALSE(fs.renameNoReplace(cut, dst_ + "/b.jpg", &e));
        EXPECT_FALSE(fs.renameReplace(file, dst_ + "/b.jpg" + QChar(0) + tail, &e));
        EXPECT_FALSE(fs.unlink(cut, &e));
        EXPECT_EQ(e.code, EINVAL);
    }
    EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), kNew}}));
    EXPECT_TRUE(RawContents(dst_).empty());
}

// Another program creates the destination after the checks, right before the move: the move
// must not replace it, whether it is a rename or a copy across file systems.
TEST_F(FaultMatrixTest, DestinationCreatedBetweenCheckAndMove) {
    TmpfsMount m("size=4m");
    QStringList roots = {tmp.path()};
    if (m.mounted()) roots << m.path();
    for (const QString& root : roots) {
        SCOPED_TRACE(root.toStdString());
        Prepare(root, false);
        PosixFileSystem real;
        FakeFileSystem fs(real);
        const QString d = dst_ + "/" + kName;
        fs.beforeCall = [&](Call call, const QString&) {
            if ((call == Call::RenameNoReplace || call == Call::RenameReplace) && !QFileInfo::exists(d))
                WriteRaw(QFile::encodeName(d), "intruder");
        };
        EXPECT_EQ(Outcome(Run(Op::Move, fs)), "transfer failed: File exists");
        EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), kNew}}));
        EXPECT_EQ(RawContents(dst_), (Contents{{QFile::encodeName(kName), "intruder"}}));
    }
    if (!m.mounted()) GTEST_SKIP() << "same file system only: " << m.reason().toStdString();
}

// Blanks, wildcard characters, a newline and bytes that are not UTF-8 are ordinary name bytes;
// characters of two, three and four bytes, in a short path and in a long one, are their UTF-8.
TEST_F(FaultMatrixTest, OddNames) {
    TmpfsMount m("size=4m");
    QStringList roots = {tmp.path()};
    if (m.mounted()) roots << m.path();
    const QList<QByteArray> names = {"a b.jpg", "*.jpg", "?.jpg", "[x].jpg", "new\nline.jpg",
                                     "bad\xff\xfe.jpg", " lead.jpg", ".hidden.jpg",
                                     "caf\xc3\xa9.jpg", "\xe5\x86\x99\xe7\x9c\x9f.jpg",
                                     "\xf0\x9f\x98\x80.jpg", QByteArray(150, 'a') + "\xe5\x86\x99.jpg"};
    PosixFileSystem fs;
    for (const QString& root : roots) {
        for (const QByteArray& raw : names) {
            for (Op op : {Op::Copy, Op::Move}) {
                SCOPED_TRACE(testing::Message() << root.toStdString() << " " << Name(op) << " " << raw.toHex().constData());
                Prepare(root, false);
                EmptyFolder(src_);
                const QByteArray content = Pattern(5000, char(raw.size()));
                WriteRaw(FsPath::encodePath(src_) + "/" + raw, content);
                WriteRaw(FsPath::encodePath(src_) + "/" + raw + "x", "neighbour");  // untouched
                QStringList listed;
                FsError e;
                ASSERT_TRUE(fs.listRegularFiles(src_, &listed, &e));
                const int i = listed.indexOf(FsPath::decodeName(raw));
                ASSERT_GE(i, 0);
                const QString s = src_ + "/" + listed[i];
                const Result result = op == Op::Copy ? Transfer::copy(fs, s, dst_ + "/")
                                                     : Transfer::move(fs, s, dst_ + "/");
                ASSERT_TRUE(result.done()) << Outcome(result);
                Contents wantSrc{{raw + "x", "neighbour"}};
                if (op == Op::Copy) wantSrc[raw] = content;
                EXPECT_EQ(RawContents(src_), wantSrc);
                EXPECT_EQ(RawContents(dst_), (Contents{{raw, content}}));
                EmptyFolder(src_);
                EmptyFolder(dst_);
            }
        }
    }
}

}  // namespace
