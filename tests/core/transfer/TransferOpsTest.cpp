// The guarded copy, move and delete on the real file system: CD-ROM refusals, what a copy
// keeps, trash and direct delete, the same-file guard (faults, and a move meeting an existing
// destination: FaultMatrixTest).
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "platform/MountTable.h"
#include "TestSupport.h"
#include "core/Transfer.h"

namespace {

using Transfer::Deletion;
using Transfer::Refusal;
using Transfer::Result;

// What each result refused (None: done), for comparing a run of operations at once.
std::vector<Refusal> Refusals(const std::vector<Result>& results) {
    std::vector<Refusal> out;
    for (const Result& r : results) out.push_back(r.refusal);
    return out;
}

class TransferOpsTest : public ::testing::Test {
protected:
    // Where an old destination or a deleted file goes.
    Deletion deletion = Deletion::ToTrash;
    void SetUp() override {
        QDir().mkpath(src());
        QDir().mkpath(dst());
        QDir().mkpath(cd());
        EmptyFolder(TrashFolder());
    }
    QString src() const { return tmp.file(QStringLiteral("src")); }
    QString dst() const { return tmp.file(QStringLiteral("dst")); }
    QString cd() const { return tmp.file(QStringLiteral("cd")); }
    void SetMtime(const QString& path, time_t sec, long nsec) {
        struct timespec t[2] = {{sec, nsec}, {sec, nsec}};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0), 0);
    }

    TempDir tmp;
    PosixFileSystem real;
    FakeFileSystem fs{real};
};

// --- CD-ROM refusals ---------------------------------------------------------------------

TEST_F(TransferOpsTest, CdRomRefusalsChangeNothing) {
    fs.cdRoms << cd();
    const QByteArray a = Pattern(100, 1);
    WriteRaw(QFile::encodeName(src() + "/a.jpg"), a);
    WriteRaw(QFile::encodeName(cd() + "/c.jpg"), a);
    // The same refusals when the caller brings the source's status.
    FileStatus a1, c1;
    FsError e;
    ASSERT_TRUE(real.stat(src() + "/a.jpg", &a1, &e));
    ASSERT_TRUE(real.stat(cd() + "/c.jpg", &c1, &e));

    EXPECT_EQ(Refusals({Transfer::copy(fs, src() + "/a.jpg", cd() + "/"),
                        Transfer::move(fs, src() + "/a.jpg", cd() + "/"),
                        Transfer::move(fs, cd() + "/c.jpg", dst() + "/"),
                        // From a CD-ROM to a CD-ROM: the source is checked first.
                        Transfer::move(fs, cd() + "/c.jpg", cd() + "/sub/"),
                        Transfer::remove(fs, cd() + "/c.jpg", deletion),
                        Transfer::move(fs, src() + "/a.jpg", cd() + "/", &a1),
                        Transfer::move(fs, cd() + "/c.jpg", dst() + "/", &c1),
                        Transfer::overwrite(fs, Transfer::Kind::Copy, src() + "/a.jpg", cd() + "/c.jpg", deletion),
                        Transfer::overwrite(fs, Transfer::Kind::Move, cd() + "/c.jpg", src() + "/a.jpg", deletion)}),
              (std::vector<Refusal>{Refusal::CopyToCdRom, Refusal::MoveToCdRom, Refusal::MoveFromCdRom,
                                    Refusal::MoveFromCdRom, Refusal::DeleteOnCdRom, Refusal::MoveToCdRom,
                                    Refusal::MoveFromCdRom, Refusal::CopyToCdRom, Refusal::MoveFromCdRom}));
    EXPECT_EQ(RawContents(src()).size(), 1u);
    EXPECT_EQ(RawContents(cd()).size(), 1u);
    EXPECT_TRUE(RawContents(dst()).empty());
    // Nothing was written or removed; the one rename tried (to the CD-ROM) was refused by the
    // mount boundary before its refusal.
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Trash) + fs.CountOf(FakeFileSystem::Call::Unlink) +
                  fs.CountOf(FakeFileSystem::Call::CreateNew) + fs.CountOf(FakeFileSystem::Call::RenameReplace),
              0);
    EXPECT_LE(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 2);

    // Copying from a CD-ROM is allowed.
    const Result copied = Transfer::copy(fs, cd() + "/c.jpg", dst() + "/");
    EXPECT_EQ(copied.action, Transfer::Action::Copied);
    EXPECT_EQ(copied.destination, dst() + "/c.jpg");
    EXPECT_EQ(RawContents(dst())["c.jpg"], a);
}

TEST(DriveTest, RealMountPointsAndTypes) {
    PosixFileSystem fs;
    EXPECT_EQ(fs.mountPoint(QStringLiteral("/")), QStringLiteral("/"));
    TmpfsMount m("size=1m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    // A path that does not exist yet belongs to the mount holding its nearest existing parent.
    EXPECT_EQ(fs.mountPoint(m.path() + "/not/yet/there.jpg"), m.path());
    EXPECT_EQ(fs.mountPoint(m.path()), m.path());
    EXPECT_EQ(fs.typeOfDrive(m.path()), DriveType::Other);
    EXPECT_NE(fs.mountPoint(m.path() + "/../x"), m.path());
}

// With a source that is no file, the destination's refusal still comes before the failure.
TEST_F(TransferOpsTest, MoveNamesTheCdRomDestinationBeforeASourceThatIsNoFile) {
    fs.cdRoms << cd();
    QDir().mkpath(src() + "/folder.jpg");
    EXPECT_EQ(Refusals({Transfer::move(fs, src() + "/folder.jpg", cd() + "/"),
                        Transfer::move(fs, src() + "/gone.jpg", cd() + "/"),
                        Transfer::move(fs, src() + "/folder.jpg", dst() + "/")}),
              (std::vector<Refusal>{Refusal::MoveToCdRom, Refusal::MoveToCdRom, Refusal::TransferFailed}));
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 0);  // a folder is never moved
    EXPECT_TRUE(QFileInfo(src() + "/folder.jpg").isDir());
    EXPECT_TRUE(RawContents(dst()).empty());
}

// The kept copy of the mount table learns of a device number used again by another mount from
// a watcher thread, which may need a moment to wake; it must never miss it. Other processes'
// mounts wake the watcher too, so the drive is asked again after each change it tells of.
void WaitForDrive(FileSystem& fs, const QString& path, DriveType expected) {
    MountTable& table = MountTable::instance();
    for (;;) {
        const uint64_t told = table.changesTold();
        if (fs.driveOf(path) == expected || !table.waitForChangeAfter(told, 5000)) return;
    }
}

// A tmpfs whose source reads /dev/sr9 is a CD-ROM drive as far as the mount table tells, so
// the refusals run here against the kernel's own table, and its copy must follow mounts and
// unmounts.
TEST(DriveTest, RealCdRomMountIsRefusedAndItsUnmountIsNoticed) {
    PosixFileSystem fs;
    TempDir tmp;
    const QString src = tmp.file(QStringLiteral("src"));
    QDir().mkpath(src);
    WriteRaw(QFile::encodeName(src + "/a.jpg"), Pattern(5000, 4));
    EXPECT_EQ(fs.driveOf(src + "/a.jpg"), DriveType::Other);  // the table is read and kept
    {
        TmpfsMount cd("size=1m", false, "/dev/sr9");
        if (!cd.mounted()) GTEST_SKIP() << cd.reason().toStdString();
        WriteRaw(QFile::encodeName(cd.path() + "/c.jpg"), Pattern(10, 5));
        // Another test's tmpfs may have just given up this device number.
        WaitForDrive(fs, cd.path(), DriveType::CdRom);
        EXPECT_EQ(fs.driveOf(cd.path() + "/c.jpg"), DriveType::CdRom);
        EXPECT_EQ(fs.driveOf(cd.path() + "/not/yet/there.jpg"), DriveType::CdRom);
        EXPECT_EQ(fs.typeOfDrive(fs.mountPoint(cd.path() + "/c.jpg")), DriveType::CdRom);

        EXPECT_EQ(Refusals({Transfer::move(fs, src + "/a.jpg", cd.path() + "/"),
                            Transfer::move(fs, cd.path() + "/c.jpg", src + "/"),
                            Transfer::copy(fs, src + "/a.jpg", cd.path() + "/"),
                            Transfer::remove(fs, cd.path() + "/c.jpg", Deletion::ToTrash)}),
                  (std::vector<Refusal>{Refusal::MoveToCdRom, Refusal::MoveFromCdRom, Refusal::CopyToCdRom,
                                        Refusal::DeleteOnCdRom}));
        EXPECT_EQ(RawContents(src).size(), 1u);
        EXPECT_EQ(RawContents(cd.path()).size(), 1u);
    }
    // The next tmpfs is likely to get the device number the CD-ROM had: a copy of the table
    // kept past the unmount would call it a CD-ROM.
    TmpfsMount plain("size=1m");
    ASSERT_TRUE(plain.mounted());
    WaitForDrive(fs, plain.path(), DriveType::Other);
    EXPECT_EQ(fs.driveOf(plain.path()), DriveType::Other);
    EXPECT_TRUE(Transfer::move(fs, src + "/a.jpg", plain.path() + "/").done());
    EXPECT_EQ(RawContents(plain.path())["a.jpg"], Pattern(5000, 4));
    EXPECT_TRUE(RawContents(src).empty());
}

// --- copy and move ------------------------------------------------------------------------

TEST_F(TransferOpsTest, CopyKeepsNameMtimeAndModeAndReplacesAnExistingFile) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(200000, 2));
    ::chmod(QFile::encodeName(a).constData(), 0640);
    SetMtime(a, 1000000000, 123456789);
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(50, 3));

    EXPECT_TRUE(Transfer::copy(fs, a, dst() + "/").done());
    auto out = RawContents(dst());
    ASSERT_EQ(out.size(), 1u);  // no temporary left
    EXPECT_EQ(out["a.jpg"], Pattern(200000, 2));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(dst() + "/a.jpg").constData(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A full destination path gives the file that name.
    EXPECT_TRUE(Transfer::copy(fs, a, dst() + "/renamed_001.jpg").done());
    EXPECT_EQ(RawContents(dst())["renamed_001.jpg"], Pattern(200000, 2));
}

TEST_F(TransferOpsTest, MoveToAFullPathGivesTheFileThatName) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(10, 4));
    const Result moved = Transfer::move(fs, a, dst() + "/b.jpg");
    EXPECT_EQ(moved.action, Transfer::Action::Moved);
    EXPECT_EQ(moved.destination, dst() + "/b.jpg");
    EXPECT_TRUE(RawContents(src()).empty());
    EXPECT_EQ(RawContents(dst())["b.jpg"], Pattern(10, 4));
}

TEST_F(TransferOpsTest, AFolderIsNeverMovedOrDeleted) {
    QDir().mkpath(src() + "/trip.jpg");
    FileStatus folder;
    FsError e;
    ASSERT_TRUE(real.stat(src() + "/trip.jpg", &folder, &e));
    EXPECT_EQ(Refusals({Transfer::move(fs, src() + "/trip.jpg", dst() + "/"),
                        Transfer::move(fs, src() + "/trip.jpg", dst() + "/", &folder),
                        Transfer::copy(fs, src() + "/trip.jpg", dst() + "/"),
                        Transfer::remove(fs, src() + "/trip.jpg", Deletion::ToTrash),
                        Transfer::remove(fs, src() + "/trip.jpg", Deletion::Directly)}),
              (std::vector<Refusal>{Refusal::TransferFailed, Refusal::TransferFailed, Refusal::TransferFailed,
                                    Refusal::DeleteFailed, Refusal::DeleteFailed}));
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 0);
    EXPECT_TRUE(QFileInfo(src() + "/trip.jpg").isDir());
    EXPECT_FALSE(QFileInfo::exists(dst() + "/trip.jpg"));
}

// --- delete -------------------------------------------------------------------------------

// The trash in the test's own home, through GIO, with a .trashinfo a file manager can restore.
TEST_F(TransferOpsTest, TrashGoesToTheFreedesktopTrash) {
    const QString a = src() + "/to trash #1.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(300, 6));
    const Result trashed = Transfer::remove(fs, a, Deletion::ToTrash);
    ASSERT_EQ(trashed.action, Transfer::Action::Trashed);
    EXPECT_EQ(trashed.source, a);
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Unlink), 0);

    auto files = RawContents(TrashFolder() + "/files");
    ASSERT_EQ(files.size(), 1u) << "GIO did not use $XDG_DATA_HOME/Trash";
    EXPECT_EQ(files.begin()->second, Pattern(300, 6));
    QFile info(TrashFolder() + "/info/" + QFile::decodeName(files.begin()->first) + ".trashinfo");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(info.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("[Trash Info]"));
    QString path, date;
    for (const QString& l : lines) {
        if (l.startsWith("Path=")) path = l.mid(5);
        if (l.startsWith("DeletionDate=")) date = l.mid(13);
    }
    EXPECT_EQ(QUrl::fromPercentEncoding(path.toUtf8()), QFileInfo(a).absoluteFilePath());
    EXPECT_TRUE(QDateTime::fromString(date, Qt::ISODate).isValid()) << date.toStdString();
}

TEST_F(TransferOpsTest, DirectDeleteUnlinksWithoutTrash) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(30, 7));
    ASSERT_EQ(Transfer::remove(fs, a, Deletion::Directly).action, Transfer::Action::Deleted);
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_TRUE(RawContents(TrashFolder() + "/files").empty());
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Trash), 0);
}

// A failed trash or delete says why and the file stays; a failed trash never turns into a
// permanent delete.
TEST_F(TransferOpsTest, FailedTrashOrDeleteIsReportedAndTheFileStays) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(30, 8));
    for (Deletion how : {Deletion::ToTrash, Deletion::Directly}) {
        fs.failKinds = {how == Deletion::ToTrash ? FakeFileSystem::Call::Trash : FakeFileSystem::Call::Unlink};
        fs.failErrno = EACCES;
        const Result r = Transfer::remove(fs, a, how);
        EXPECT_EQ(r.refusal, Refusal::DeleteFailed);
        EXPECT_EQ(r.error.reason, QStringLiteral("Permission denied"));
        EXPECT_EQ(RawContents(src())[QByteArray("a.jpg")], Pattern(30, 8));
    }
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Unlink), 1);  // only in direct-delete mode

    fs.failKinds.clear();
    const Result gone = Transfer::remove(fs, src() + "/gone.jpg", deletion);
    EXPECT_EQ(gone.refusal, Refusal::DeleteFailed);
    EXPECT_EQ(gone.error.reason, QStringLiteral("No such file or directory"));
}

// --- same file --------------------------------------------------------------------------

TEST_F(TransferOpsTest, SameFileIsDetectedAndNeverRemoved) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(40, 11));
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(40, 11));
    EXPECT_TRUE(Transfer::isSameFile(fs, a, src() + "/./a.jpg"));
    EXPECT_TRUE(Transfer::isSameFile(fs, a, dst() + "/../src/a.jpg"));
    EXPECT_FALSE(Transfer::isSameFile(fs, a, dst() + "/a.jpg"));  // equal bytes, other file
    EXPECT_FALSE(Transfer::isSameFile(fs, a, src() + "/missing.jpg"));

    for (auto kind : {Transfer::Kind::Copy, Transfer::Kind::Move}) {
        for (Deletion how : {Deletion::ToTrash, Deletion::Directly}) {
            EXPECT_EQ(Transfer::overwrite(fs, kind, a, src() + "/./a.jpg", how).refusal, Refusal::SameFile);
            EXPECT_EQ(RawContents(src())["a.jpg"], Pattern(40, 11));
        }
    }
    EXPECT_TRUE(RawContents(TrashFolder() + "/files").empty());
}

}  // namespace
