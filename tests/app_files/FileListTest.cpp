#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileList.h"
#include "Form1State.h"
#include "TestSupport.h"

using namespace FileList;

namespace {
void Touch(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0) << path.constData();
    ::close(fd);
}
QByteArray Raw(const TempDir& dir, const char* name) {
    return QFile::encodeName(dir.path()) + '/' + QByteArray(name);
}
}  // namespace

TEST(FileListNames, ExtensionTestsLookAtTheLastFourCharacters) {
    EXPECT_TRUE(HasImageExtension("a.jpg", false));
    EXPECT_TRUE(HasImageExtension("A.JPG", false));
    EXPECT_TRUE(HasImageExtension("x.BmP", false));
    EXPECT_TRUE(HasImageExtension(".gif", false));
    EXPECT_FALSE(HasImageExtension("a.jpeg", false));
    EXPECT_FALSE(HasImageExtension("jpg", false));
    EXPECT_FALSE(HasImageExtension("a.jpg ", false));
    EXPECT_FALSE(HasImageExtension("a.png", false));
    EXPECT_TRUE(HasImageExtension("a.PNG", true));

    EXPECT_TRUE(IsImageFileName("/p/a.jpg", false));
    EXPECT_FALSE(IsImageFileName("/p/a.JPG", false));
    EXPECT_FALSE(IsImageFileName("/p/a.Gif", false));
    EXPECT_FALSE(IsImageFileName("/p/a.png", false));
    EXPECT_TRUE(IsImageFileName("/p/a.png", true));
    EXPECT_FALSE(IsImageFileName("/p/a.PNG", true));
    EXPECT_FALSE(IsImageFileName("/p/a.jpeg", true));
}

TEST(FileListNames, ParentFolderAndSlash) {
    EXPECT_EQ(ParentFolder("/pics/a.jpg"), "/pics");
    EXPECT_EQ(ParentFolder("/a.jpg"), "/");
    EXPECT_EQ(ParentFolder("/my pics/sub/*.jpg"), "/my pics/sub");
    EXPECT_EQ(WithSlash("/pics"), "/pics/");
    EXPECT_EQ(WithSlash("/pics/"), "/pics/");
}

TEST(FileListBuild, OddNamesOnlyRegularFilesInFileManagerOrder) {
    TempDir dir;
    for (const char* n : {"img10.jpg", "img2.jpg", "Img3.jpg", "a b.jpg", "*.jpg", "?.gif",
                          "[x].bmp", "new\nline.jpg", ".hidden.jpg", "UPPER.JPG", "photo.jpeg",
                          "p.png", "notes.txt", "A.jpg", "a.jpg"})
        Touch(Raw(dir, n));
    Touch(Raw(dir, "bad\xff\xfe.jpg"));  // no valid text: cannot be named, so not listed
    ASSERT_EQ(::mkdir(Raw(dir, "x.jpg").constData(), 0700), 0);
    ASSERT_EQ(::mkfifo(Raw(dir, "y.jpg").constData(), 0600), 0);
    ASSERT_EQ(::symlink(Raw(dir, "img2.jpg").constData(), Raw(dir, "link.jpg").constData()), 0);
    ASSERT_EQ(::symlink(Raw(dir, "gone").constData(), Raw(dir, "dead.jpg").constData()), 0);

    const QStringList list = ListImageFiles(dir.path(), false);
    QStringList expectedSet = {"img10.jpg", "img2.jpg", "Img3.jpg", "a b.jpg", "*.jpg",
                               "?.gif", "[x].bmp", "new\nline.jpg", ".hidden.jpg", "UPPER.JPG",
                               "A.jpg", "a.jpg", "link.jpg"};
    QStringList sortedList = list, sortedExpected = expectedSet;
    sortedList.sort();
    sortedExpected.sort();
    EXPECT_EQ(sortedList, sortedExpected);

    // Digits compare as numbers and letter case is ignored; equal keys fall back to the text.
    EXPECT_LT(list.indexOf("img2.jpg"), list.indexOf("Img3.jpg"));
    EXPECT_LT(list.indexOf("Img3.jpg"), list.indexOf("img10.jpg"));
    EXPECT_EQ(list.indexOf("a.jpg"), list.indexOf("A.jpg") + 1);
    EXPECT_LT(list.indexOf("a.jpg"), list.indexOf("img2.jpg"));
    EXPECT_LT(list.indexOf("link.jpg"), list.indexOf("UPPER.JPG"));

    // With the plug-in the png is listed too.
    EXPECT_TRUE(ListImageFiles(dir.path(), true).contains("p.png"));
    // The slash is optional; a missing folder gives an empty list.
    EXPECT_EQ(ListImageFiles(dir.path() + "/", false), list);
    EXPECT_TRUE(ListImageFiles(dir.file("nowhere"), false).isEmpty());
}

TEST(FileListBuild, FolderNamesWithWildcardsAreLiteral) {
    TempDir dir;
    QDir(dir.path()).mkdir("a*");
    QDir(dir.path()).mkdir("ab");
    Touch(Raw(dir, "ab/in-ab.jpg"));
    Touch(Raw(dir, "a*/in-star.jpg"));
    EXPECT_EQ(ListImageFiles(dir.file("a*"), false), QStringList{"in-star.jpg"});
    EXPECT_TRUE(IsDirectory(dir.file("a*")));
    EXPECT_FALSE(IsDirectory(dir.file("a?")));
    EXPECT_FALSE(IsRegularFile(dir.file("ab/*.jpg")));
    EXPECT_TRUE(IsRegularFile(dir.file("ab/in-ab.jpg")));
}

TEST(FileListBuild, MoreThan32767Files) {
    TempDir dir;
    const int n = 33000;
    const QByteArray base = QFile::encodeName(dir.path()) + "/f";
    for (int i = 0; i < n; ++i) Touch(base + QByteArray::number(i) + ".gif");
    QElapsedTimer t;
    t.start();
    const QStringList list = ListImageFiles(dir.path(), false);
    ASSERT_EQ(list.size(), n);
    EXPECT_EQ(list.first(), "f0.gif");
    EXPECT_EQ(list.at(9), "f9.gif");
    EXPECT_EQ(list.at(10), "f10.gif");
    EXPECT_EQ(list.last(), "f32999.gif");
    EXPECT_LT(t.elapsed(), 10000);
}

namespace {
Form1State StateWith(int count, int current) {
    Form1State s;
    s.CurrentFolder = "/pics/";
    for (int i = 1; i <= count; ++i) s.FileList << QStringLiteral("f%1.jpg").arg(i);
    s.FileCount = count;
    s.CurrentIndex = current;
    s.ImageShown = true;
    return s;
}
}  // namespace

TEST(FileListStep, WrapAroundBothWays) {
    EXPECT_EQ(NextIndex(1, 5), 2);
    EXPECT_EQ(NextIndex(5, 5), 1);
    EXPECT_EQ(PreviousIndex(1, 5), 5);
    EXPECT_EQ(PreviousIndex(3, 5), 2);
    // One entry: both steps stay on it.
    EXPECT_EQ(NextIndex(1, 1), 1);
    EXPECT_EQ(PreviousIndex(1, 1), 1);
}

TEST(FileListFind, ExactFullPathOnly) {
    const Form1State s = StateWith(3, 1);
    EXPECT_EQ(FindInFileList(s, "/pics/f2.jpg"), "2");
    EXPECT_EQ(FindInFileList(s, "/pics/F2.jpg"), "");
    EXPECT_EQ(FindInFileList(s, "/other/f2.jpg"), "");
    // Names beyond FileCount are stale and never found.
    Form1State stale = s;
    stale.FileCount = 2;
    EXPECT_EQ(FindInFileList(stale, "/pics/f3.jpg"), "");
}

TEST(FileListRemove, TheFollowingEntryTakesThePlace) {
    Form1State s = StateWith(5, 3);
    EXPECT_EQ(RemoveCurrent(s), "/pics/f4.jpg");
    EXPECT_EQ(s.CurrentIndex, 3);
    EXPECT_EQ(s.FileCount, 4);
    EXPECT_EQ(s.FileList, (QStringList{"f1.jpg", "f2.jpg", "f4.jpg", "f5.jpg"}));
}

TEST(FileListRemove, TheLastEntryWrapsToTheFirst) {
    Form1State s = StateWith(5, 5);
    EXPECT_EQ(RemoveCurrent(s), "/pics/f1.jpg");
    EXPECT_EQ(s.CurrentIndex, 1);
    EXPECT_EQ(s.FileCount, 4);
}

TEST(FileListRemove, TheOnlyEntryLeavesAnEmptyList) {
    Form1State s = StateWith(1, 1);
    EXPECT_EQ(RemoveCurrent(s), "");
    EXPECT_EQ(s.CurrentIndex, 0);
    EXPECT_EQ(s.FileCount, 0);
    EXPECT_FALSE(s.ImageShown);
}

TEST(FileListRemove, AnIndexOutsideTheListChangesNothing) {
    Form1State s = StateWith(2, 0);
    EXPECT_EQ(RemoveCurrent(s), "");
    EXPECT_EQ(s.FileCount, 2);
    s.CurrentIndex = 3;
    EXPECT_EQ(RemoveCurrent(s), "");
    EXPECT_EQ(s.FileCount, 2);
}
