#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/TemporaryJournal.h"
#include "TestSupport.h"

namespace {

// Pattern characters are plain name characters, and a folder is found with its final "/".
TEST(FileSystem, ExistsIsALiteralLookup) {
    TempDir dir;
    dir.write(QStringLiteral("a*?[b"), "x");
    dir.write(QStringLiteral("sub/f"), "x");
    PosixFileSystem fs;
    EXPECT_TRUE(fs.exists(dir.file(QStringLiteral("a*?[b"))));
    EXPECT_FALSE(fs.exists(dir.file(QStringLiteral("a*"))));
    EXPECT_TRUE(fs.exists(dir.file(QStringLiteral("sub"))));
    EXPECT_TRUE(fs.exists(dir.file(QStringLiteral("sub/"))));
    EXPECT_FALSE(fs.exists(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(fs.exists(QString()));
}

// A copy's source swapped for a pipe or a folder after it was looked at: refused at once, never
// waited on (a pipe with no writer would block a plain open for good).
TEST(FileSystem, OpenReadTakesRegularFilesOnly) {
    TempDir dir;
    dir.write(QStringLiteral("a.jpg"), "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("pipe.jpg"))).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(dir.file(QStringLiteral("folder.jpg"))));
    PosixFileSystem fs;
    int fd = -1;
    FsError e;
    ASSERT_TRUE(fs.openRead(dir.file(QStringLiteral("a.jpg")), &fd, &e));
    ::close(fd);
    for (const char* name : {"pipe.jpg", "folder.jpg"}) {
        e = FsError();
        EXPECT_FALSE(fs.openRead(dir.file(QString::fromLatin1(name)), &fd, &e)) << name;
        EXPECT_EQ(e.code, EINVAL) << name;
    }
}

// A run ended mid-way leaves a temporary: its name says what it is, the next start lists where
// it lies, and once it is gone it is forgotten.
TEST(FileSystem, ATemporaryLeftByARunEndedMidwayIsListedAtTheNextStart) {
    TempDir dir;
    const QString journalFile = dir.file(QStringLiteral("journal"));
    QString left;
    {
        TemporaryJournal journal(journalFile);
        PosixFileSystem fs;
        fs.setJournal(&journal);
        left = fs.newTemporaryPath(dir.path(), FileSystem::TemporaryRole::Replaced, QStringLiteral("a\nb.jpg"));
        fs.newTemporaryPath(dir.path(), FileSystem::TemporaryRole::Incoming, QStringLiteral("c.jpg"));  // never made
        dir.write(FsPath::nameOf(left), "the replaced photo");
    }  // ended here, nothing settled
    EXPECT_TRUE(FsPath::nameOf(left).startsWith(QStringLiteral(".orvane-replaced-a\nb.jpg-")));
    TemporaryJournal next(journalFile);
    EXPECT_EQ(next.leftovers(), QStringList{left});
    ASSERT_TRUE(QFile::remove(left));
    next.settle();
    EXPECT_TRUE(TemporaryJournal(journalFile).leftovers().isEmpty());
}

}  // namespace
