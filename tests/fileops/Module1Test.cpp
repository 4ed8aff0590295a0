// Guarded operations and helpers of Module1 on the real file system (faults: FaultMatrixTest).
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "Module1.h"
#include "TestSupport.h"

namespace {

const QString kCopyToCd = QStringLiteral("指定のメディアへのコピーはできません。");
const QString kMoveFromCd = QStringLiteral("指定のメディアからの移動はできません。");
const QString kMoveToCd = QStringLiteral("指定のメディアへの移動はできません。");
const QString kDeleteOnCd = QStringLiteral("指定のメディアのファイルは削除はできません。");

class Module1Test : public ::testing::Test {
protected:
    // Where an old destination or a deleted file goes.
    Module1::Deletion deletion = Module1::Deletion::ToTrash;
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
    FakeMsgBox msg;
};

// --- CD-ROM refusals ---------------------------------------------------------------------

TEST_F(Module1Test, CdRomRefusalsShowTheirMessageAndChangeNothing) {
    fs.cdRoms << cd();
    const QByteArray a = Pattern(100, 1);
    WriteRaw(QFile::encodeName(src() + "/a.jpg"), a);
    WriteRaw(QFile::encodeName(cd() + "/c.jpg"), a);

    EXPECT_FALSE(Module1::CopyToFolder(msg, fs, src() + "/a.jpg", cd() + "/"));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/a.jpg", cd() + "/"));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, cd() + "/c.jpg", dst() + "/"));
    // From a CD-ROM to a CD-ROM: the source is checked first and only its message is shown.
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, cd() + "/c.jpg", cd() + "/sub/"));
    EXPECT_FALSE(Module1::RemoveFile(msg, fs, cd() + "/c.jpg", deletion));
    // The same refusals when the caller brings the source's status.
    FileStatus a1, c1;
    FsError e;
    ASSERT_TRUE(real.Stat(src() + "/a.jpg", &a1, &e));
    ASSERT_TRUE(real.Stat(cd() + "/c.jpg", &c1, &e));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/a.jpg", cd() + "/", &a1));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, cd() + "/c.jpg", dst() + "/", &c1));
    EXPECT_EQ(msg.texts(), QStringList({kCopyToCd, kMoveToCd, kMoveFromCd, kMoveFromCd, kDeleteOnCd,
                                        kMoveToCd, kMoveFromCd}));
    for (const auto& s : msg.shown) {
        EXPECT_EQ(s.title, QStringLiteral("Orvane"));
        EXPECT_EQ(s.buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(RawContents(src()).size(), 1u);
    EXPECT_EQ(RawContents(cd()).size(), 1u);
    EXPECT_TRUE(RawContents(dst()).empty());
    // Nothing was written or removed; the one rename tried (to the CD-ROM) was refused by the
    // mount boundary before its message.
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Trash) + fs.CountOf(FakeFileSystem::Call::Unlink) +
                  fs.CountOf(FakeFileSystem::Call::CreateNew) + fs.CountOf(FakeFileSystem::Call::RenameReplace),
              0);
    EXPECT_LE(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 2);

    // Copying from a CD-ROM is allowed.
    EXPECT_TRUE(Module1::CopyToFolder(msg, fs, cd() + "/c.jpg", dst() + "/"));
    EXPECT_EQ(RawContents(dst())["c.jpg"], a);
}

TEST(DriveTest, RealMountPointsAndTypes) {
    PosixFileSystem fs;
    EXPECT_EQ(Module1::GetDriveName(fs, QStringLiteral("/")), QStringLiteral("/"));
    TmpfsMount m("size=1m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    // A path that does not exist yet belongs to the mount holding its nearest existing parent.
    EXPECT_EQ(Module1::GetDriveName(fs, m.path() + "/not/yet/there.jpg"), m.path());
    EXPECT_EQ(Module1::GetDriveName(fs, m.path()), m.path());
    EXPECT_FALSE(Module1::IsCdRomDrive(fs, m.path()));
    EXPECT_NE(Module1::GetDriveName(fs, m.path() + "/../x"), m.path());
}

// With a source that is no file, the destination's refusal still comes before the failure.
TEST_F(Module1Test, MoveNamesTheCdRomDestinationBeforeASourceThatIsNoFile) {
    fs.cdRoms << cd();
    QDir().mkpath(src() + "/folder.jpg");
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/folder.jpg", cd() + "/"));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/gone.jpg", cd() + "/"));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/folder.jpg", dst() + "/"));
    ASSERT_EQ(msg.shown.size(), 3u);
    EXPECT_EQ(msg.shown[0].text, kMoveToCd);
    EXPECT_EQ(msg.shown[1].text, kMoveToCd);
    EXPECT_TRUE(msg.shown[2].text.startsWith(QStringLiteral("ファイルを転送できませんでした\n")));
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 0);  // a folder is never moved
    EXPECT_TRUE(QFileInfo(src() + "/folder.jpg").isDir());
    EXPECT_TRUE(RawContents(dst()).empty());
}

// The kept copy of the mount table learns of a device number used again by another mount from
// a watcher thread, which may need a moment to wake; it must never miss it.
void WaitForDrive(FileSystem& fs, const QString& path, DriveType expected) {
    QElapsedTimer waited;
    waited.start();
    while (fs.DriveOf(path) != expected && waited.elapsed() < 5000) QThread::msleep(1);
}

// A tmpfs whose source reads /dev/sr9 is a CD-ROM drive as far as the mount table tells, so
// the refusals run here against the kernel's own table, and its copy must follow mounts and
// unmounts.
TEST(DriveTest, RealCdRomMountIsRefusedAndItsUnmountIsNoticed) {
    PosixFileSystem fs;
    FakeMsgBox msg;
    TempDir tmp;
    const QString src = tmp.file(QStringLiteral("src"));
    QDir().mkpath(src);
    WriteRaw(QFile::encodeName(src + "/a.jpg"), Pattern(5000, 4));
    EXPECT_EQ(fs.DriveOf(src + "/a.jpg"), DriveType::Other);  // the table is read and kept
    {
        TmpfsMount cd("size=1m", false, "/dev/sr9");
        if (!cd.mounted()) GTEST_SKIP() << cd.reason().toStdString();
        WriteRaw(QFile::encodeName(cd.path() + "/c.jpg"), Pattern(10, 5));
        // Another test's tmpfs may have just given up this device number.
        WaitForDrive(fs, cd.path(), DriveType::CdRom);
        EXPECT_EQ(fs.DriveOf(cd.path() + "/c.jpg"), DriveType::CdRom);
        EXPECT_EQ(fs.DriveOf(cd.path() + "/not/yet/there.jpg"), DriveType::CdRom);
        EXPECT_TRUE(Module1::IsCdRomDrive(fs, Module1::GetDriveName(fs, cd.path() + "/c.jpg")));

        EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src + "/a.jpg", cd.path() + "/"));
        EXPECT_FALSE(Module1::MoveToFolder(msg, fs, cd.path() + "/c.jpg", src + "/"));
        EXPECT_FALSE(Module1::CopyToFolder(msg, fs, src + "/a.jpg", cd.path() + "/"));
        EXPECT_FALSE(Module1::RemoveFile(msg, fs, cd.path() + "/c.jpg", Module1::Deletion::ToTrash));
        EXPECT_EQ(msg.texts(), QStringList({kMoveToCd, kMoveFromCd, kCopyToCd, kDeleteOnCd}));
        EXPECT_EQ(RawContents(src).size(), 1u);
        EXPECT_EQ(RawContents(cd.path()).size(), 1u);
    }
    // The next tmpfs is likely to get the device number the CD-ROM had: a copy of the table
    // kept past the unmount would call it a CD-ROM.
    TmpfsMount plain("size=1m");
    ASSERT_TRUE(plain.mounted());
    WaitForDrive(fs, plain.path(), DriveType::Other);
    EXPECT_EQ(fs.DriveOf(plain.path()), DriveType::Other);
    EXPECT_TRUE(Module1::MoveToFolder(msg, fs, src + "/a.jpg", plain.path() + "/"));
    EXPECT_EQ(RawContents(plain.path())["a.jpg"], Pattern(5000, 4));
    EXPECT_TRUE(RawContents(src).empty());
}

// --- copy and move ------------------------------------------------------------------------

TEST_F(Module1Test, CopyKeepsNameMtimeAndModeAndReplacesAnExistingFile) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(200000, 2));
    ::chmod(QFile::encodeName(a).constData(), 0640);
    SetMtime(a, 1000000000, 123456789);
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(50, 3));

    EXPECT_TRUE(Module1::CopyToFolder(msg, fs, a, dst() + "/"));
    EXPECT_TRUE(msg.shown.empty());
    auto out = RawContents(dst());
    ASSERT_EQ(out.size(), 1u);  // no temporary left
    EXPECT_EQ(out["a.jpg"], Pattern(200000, 2));
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(dst() + "/a.jpg").constData(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A full destination path gives the file that name.
    EXPECT_TRUE(Module1::CopyToFolder(msg, fs, a, dst() + "/renamed_001.jpg"));
    EXPECT_EQ(RawContents(dst())["renamed_001.jpg"], Pattern(200000, 2));
}

TEST_F(Module1Test, MoveKeepsNameAndNeverReplaces) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(10, 4));
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(10, 5));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, a, dst() + "/"));
    ASSERT_EQ(msg.texts().size(), 1);
    EXPECT_EQ(msg.texts()[0], QStringLiteral("ファイルを転送できませんでした\nFile exists"));
    EXPECT_EQ(RawContents(dst())["a.jpg"], Pattern(10, 5));
    EXPECT_EQ(RawContents(src())["a.jpg"], Pattern(10, 4));

    EXPECT_TRUE(Module1::MoveToFolder(msg, fs, a, dst() + "/b.jpg"));
    EXPECT_TRUE(RawContents(src()).empty());
    EXPECT_EQ(RawContents(dst())["b.jpg"], Pattern(10, 4));
}

TEST_F(Module1Test, AFolderIsNeverMovedOrDeleted) {
    QDir().mkpath(src() + "/trip.jpg");
    deletion = Module1::Deletion::Directly;
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/trip.jpg", dst() + "/"));
    FileStatus folder;
    FsError e;
    ASSERT_TRUE(real.Stat(src() + "/trip.jpg", &folder, &e));
    EXPECT_FALSE(Module1::MoveToFolder(msg, fs, src() + "/trip.jpg", dst() + "/", &folder));
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::RenameNoReplace), 0);
    EXPECT_FALSE(Module1::CopyToFolder(msg, fs, src() + "/trip.jpg", dst() + "/"));
    deletion = Module1::Deletion::ToTrash;
    EXPECT_FALSE(Module1::RemoveFile(msg, fs, src() + "/trip.jpg", deletion));
    EXPECT_TRUE(QFileInfo(src() + "/trip.jpg").isDir());
    EXPECT_FALSE(QFileInfo::exists(dst() + "/trip.jpg"));
    EXPECT_EQ(msg.texts().size(), 4);
}

// --- delete -------------------------------------------------------------------------------

// The trash in the test's own home, through GIO, with a .trashinfo a file manager can restore.
TEST_F(Module1Test, TrashGoesToTheFreedesktopTrash) {
    deletion = Module1::Deletion::ToTrash;
    const QString a = src() + "/to trash #1.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(300, 6));
    ASSERT_TRUE(Module1::RemoveFile(msg, fs, a, deletion));
    EXPECT_TRUE(msg.shown.empty());
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

TEST_F(Module1Test, DirectDeleteUnlinksWithoutTrash) {
    deletion = Module1::Deletion::Directly;
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(30, 7));
    ASSERT_TRUE(Module1::RemoveFile(msg, fs, a, deletion));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_TRUE(RawContents(TrashFolder() + "/files").empty());
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Trash), 0);
}

// A failed trash or delete is reported, returns false and the file stays; a failed trash
// never turns into a permanent delete.
TEST_F(Module1Test, FailedTrashOrDeleteIsReportedAndTheFileStays) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(30, 8));
    for (int mode : {0, 1}) {
        deletion = mode == 0 ? Module1::Deletion::ToTrash : Module1::Deletion::Directly;
        fs.failKinds = {mode == 0 ? FakeFileSystem::Call::Trash : FakeFileSystem::Call::Unlink};
        fs.failErrno = EACCES;
        msg.shown.clear();
        EXPECT_FALSE(Module1::RemoveFile(msg, fs, a, deletion));
        EXPECT_EQ(msg.texts(), QStringList({QStringLiteral("ファイルを削除できませんでした\nPermission denied")}));
        EXPECT_EQ(RawContents(src())[QByteArray("a.jpg")], Pattern(30, 8));
    }
    EXPECT_EQ(fs.CountOf(FakeFileSystem::Call::Unlink), 1);  // only in direct-delete mode

    fs.failKinds.clear();
    msg.shown.clear();
    EXPECT_FALSE(Module1::RemoveFile(msg, fs, src() + "/gone.jpg", deletion));
    EXPECT_EQ(msg.texts(), QStringList({QStringLiteral("ファイルを削除できませんでした\nNo such file or directory")}));
}

// --- overwrite question -------------------------------------------------------------------

TEST_F(Module1Test, ConfirmOverwriteShowsSizesAndDates) {
    const QString a = src() + "/a.jpg", b = dst() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(1200, 9));
    WriteRaw(QFile::encodeName(b), Pattern(900, 10));
    SetMtime(a, 1700000000, 0);
    SetMtime(b, 1600000000, 0);
    const QString da = QLocale().toString(QDateTime::fromSecsSinceEpoch(1700000000), QLocale::ShortFormat);
    const QString db = QLocale().toString(QDateTime::fromSecsSinceEpoch(1600000000), QLocale::ShortFormat);

    EXPECT_EQ(Module1::ConfirmOverwrite(msg, fs, a, b), vbYes);
    msg.answers.push_back(vbNo);
    EXPECT_EQ(Module1::ConfirmOverwrite(msg, fs, a, b), vbNo);
    ASSERT_EQ(msg.shown.size(), 2u);
    const auto& s = msg.shown[0];
    EXPECT_EQ(s.title, QStringLiteral("上書き確認"));
    EXPECT_EQ(s.buttons, MsgButtons::YesNo);
    EXPECT_EQ(s.defaultAnswer, vbYes);
    EXPECT_EQ(s.text.split('\n'),
              QStringList({QStringLiteral("同ファイル名が存在。上書き？"),
                           QStringLiteral("転送元 1200bytes ") + da,
                           QStringLiteral("転送先 900bytes ") + db}));
    // Both files untouched by asking.
    EXPECT_EQ(RawContents(dst())["a.jpg"], Pattern(900, 10));

    msg.shown.clear();
    EXPECT_EQ(Module1::ConfirmOverwrite(msg, fs, src() + "/missing.jpg", b), vbNo);
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
}

// --- same file, and overwriting without losing both files ----------------------------------

TEST_F(Module1Test, SameFileIsDetectedAndNeverRemoved) {
    const QString a = src() + "/a.jpg";
    WriteRaw(QFile::encodeName(a), Pattern(40, 11));
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(40, 11));
    EXPECT_TRUE(Module1::IsSameFile(fs, a, src() + "/./a.jpg"));
    EXPECT_TRUE(Module1::IsSameFile(fs, a, dst() + "/../src/a.jpg"));
    EXPECT_FALSE(Module1::IsSameFile(fs, a, dst() + "/a.jpg"));  // equal bytes, other file
    EXPECT_FALSE(Module1::IsSameFile(fs, a, src() + "/missing.jpg"));

    for (auto kind : {Module1::TransferKind::Copy, Module1::TransferKind::Move}) {
        for (int mode : {0, 1}) {
            deletion = mode == 0 ? Module1::Deletion::ToTrash : Module1::Deletion::Directly;
            msg.shown.clear();
            EXPECT_FALSE(Module1::OverwriteTransfer(msg, fs, kind, a, src() + "/./a.jpg", deletion));
            EXPECT_EQ(msg.texts(), QStringList({Module1::SameFileMessage()}));
            EXPECT_EQ(RawContents(src())["a.jpg"], Pattern(40, 11));
        }
    }
    EXPECT_TRUE(RawContents(TrashFolder() + "/files").empty());
}

TEST_F(Module1Test, OverwriteReplacesTheOldFile) {
    for (auto kind : {Module1::TransferKind::Copy, Module1::TransferKind::Move}) {
        for (int mode : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "move " << (kind == Module1::TransferKind::Move) << " DelTrash " << mode);
            deletion = mode == 0 ? Module1::Deletion::ToTrash : Module1::Deletion::Directly;
            EmptyFolder(src());
            EmptyFolder(dst());
            EmptyFolder(TrashFolder());
            WriteRaw(QFile::encodeName(src() + "/a.jpg"), Pattern(70000, 12));
            WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(500, 13));
            ASSERT_TRUE(Module1::OverwriteTransfer(msg, fs, kind, src() + "/a.jpg", dst() + "/a.jpg", deletion));
            EXPECT_TRUE(msg.shown.empty());
            EXPECT_EQ(RawContents(dst()), (std::map<QByteArray, QByteArray>{{"a.jpg", Pattern(70000, 12)}}));
            EXPECT_EQ(RawContents(src()).size(), kind == Module1::TransferKind::Copy ? 1u : 0u);
            const auto trashed = RawContents(TrashFolder() + "/files");
            if (mode == 0) {
                ASSERT_EQ(trashed.size(), 1u);
                EXPECT_EQ(trashed.begin()->first, QByteArray("a.jpg"));
                EXPECT_EQ(trashed.begin()->second, Pattern(500, 13));
            } else {
                EXPECT_TRUE(trashed.empty());
            }
        }
    }
}

TEST_F(Module1Test, OverwriteThatCannotRemoveTheOldFileKeepsBoth) {
    deletion = Module1::Deletion::ToTrash;
    WriteRaw(QFile::encodeName(src() + "/a.jpg"), Pattern(100, 14));
    WriteRaw(QFile::encodeName(dst() + "/a.jpg"), Pattern(100, 15));
    fs.failKinds = {FakeFileSystem::Call::Trash};
    for (auto kind : {Module1::TransferKind::Copy, Module1::TransferKind::Move}) {
        msg.shown.clear();
        EXPECT_FALSE(Module1::OverwriteTransfer(msg, fs, kind, src() + "/a.jpg", dst() + "/a.jpg", deletion));
        ASSERT_EQ(msg.texts().size(), 1);
        EXPECT_TRUE(msg.texts()[0].startsWith(QStringLiteral("ファイルを削除できませんでした\n")));
        EXPECT_EQ(RawContents(src()), (std::map<QByteArray, QByteArray>{{"a.jpg", Pattern(100, 14)}}));
        EXPECT_EQ(RawContents(dst()), (std::map<QByteArray, QByteArray>{{"a.jpg", Pattern(100, 15)}}));
    }
}

// --- command line and paths -----------------------------------------------------------------

// The argument is the path as it stands (quotes and blanks are name characters), made absolute
// and tidied only where the tidy path names the same file.
TEST(CommandLineTest, PathIsTheArgumentMadeAbsoluteAndTidy) {
    TempDir t;
    QDir().mkpath(t.file("imgs/deep"));
    t.write("imgs/say \"hi\".jpg", "x");
    ASSERT_EQ(::symlink(QFile::encodeName(t.file("imgs/deep")).constData(),
                        QFile::encodeName(t.file("link")).constData()), 0);
    using Module1::CommandLinePath;
    const QString start = t.file("imgs/deep");
    EXPECT_EQ(CommandLinePath("", start), "");
    EXPECT_EQ(CommandLinePath("../say \"hi\".jpg", start), t.file("imgs/say \"hi\".jpg"));
    EXPECT_EQ(CommandLinePath(t.file("imgs/./deep/../say \"hi\".jpg"), "/"), t.file("imgs/say \"hi\".jpg"));
    EXPECT_EQ(CommandLinePath("./a\"b", start), start + "/./a\"b");  // names nothing: as given
    // Through a link, ".." is the link target's parent, not the folder holding the link.
    EXPECT_EQ(CommandLinePath(t.file("link/../say \"hi\".jpg"), "/"),
              QFileInfo(t.file("imgs/say \"hi\".jpg")).canonicalFilePath());
}

TEST(PathTest, LastPathComponent) {
    struct Case { const char* in; const char* result; const char* after; };
    const Case cases[] = {
        {"/pics/cats", "cats", "/pics/cats/"},
        {"/pics/cats/", "cats", "/pics/cats/"},
        {"/data", "data", "/data/"},
        {"/", "/", "/"},
        {"", "/", "/"},
        {"//", "/", "//"},
        {"/a", "a", "/a/"},
        {"rel", "rel", "rel/"},
        {"/pics/cats//", "cats", "/pics/cats//"},
        {"/media/u/写真 2024", "写真 2024", "/media/u/写真 2024/"},
    };
    for (const Case& c : cases) {
        QString path = QString::fromUtf8(c.in);
        EXPECT_EQ(Module1::LastPathComponent(path), QString::fromUtf8(c.result)) << c.in;
        EXPECT_EQ(path, QString::fromUtf8(c.after)) << c.in;
    }
}

TEST(PathTest, InvalidUtf8NamesSurviveTheRoundTrip) {
    for (const QByteArray& bytes : {QByteArray("bad\xff\xfe.jpg"), QByteArray("\xe3\x81.jpg"),
                                    QByteArray("\xed\xa0\x80"), QByteArray("ok \xe5\x86\x99.jpg"),
                                    QByteArray("\xc0\xaf"), QByteArray("\xf4\x90\x80\x80")}) {
        EXPECT_EQ(FsPath::EncodePath(FsPath::DecodeName(bytes)), bytes);
    }
    EXPECT_EQ(FsPath::DecodeName("写真.jpg"), QStringLiteral("写真.jpg"));
    EXPECT_EQ(FsPath::DecodeName("\xf0\x9f\x98\x80"), QString::fromUtf8("\xf0\x9f\x98\x80"));
}

}  // namespace
