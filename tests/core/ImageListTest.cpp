#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RealFileSystem.h"
#include "core/ImageList.h"
#include "platform/FileSystem.h"
#include "TestSupport.h"


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

TEST(ImageListBuild, OddNamesOnlyRegularFilesInFileManagerOrder) {
    TempDir dir;
    for (const char* n : {"img10.jpg", "img2.jpg", "Img3.jpg", "a b.jpg", "*.jpg", "?.gif",
                          "[x].bmp", "new\nline.jpg", ".hidden.jpg", "UPPER.JPG", "photo.jpeg",
                          "p.png", "notes.txt", "A.jpg", "a.jpg", "IMG_1.HEIC", "x.heic.txt"})
        Touch(Raw(dir, n));
    Touch(Raw(dir, "bad\xff\xfe.jpg"));  // no valid text: cannot be named, so not listed
    ASSERT_EQ(::mkdir(Raw(dir, "x.jpg").constData(), 0700), 0);
    ASSERT_EQ(::mkfifo(Raw(dir, "y.jpg").constData(), 0600), 0);
    ASSERT_EQ(::symlink(Raw(dir, "img2.jpg").constData(), Raw(dir, "link.jpg").constData()), 0);
    ASSERT_EQ(::symlink(Raw(dir, "gone").constData(), Raw(dir, "dead.jpg").constData()), 0);

    const QStringList list = ImageList::listFolder(realFileSystem(), dir.path(), false, false);
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
    EXPECT_TRUE(ImageList::listFolder(realFileSystem(), dir.path(), true, false).contains("p.png"));
    // With the other formats on, their endings come in too, in any letter case.
    const QStringList more = ImageList::listFolder(realFileSystem(), dir.path(), false, true);
    EXPECT_EQ(more.size(), list.size() + 2);
    EXPECT_TRUE(more.contains("photo.jpeg") && more.contains("IMG_1.HEIC"));
    // The slash is optional; a missing folder gives an empty list.
    EXPECT_EQ(ImageList::listFolder(realFileSystem(), dir.path() + "/", false, false), list);
    EXPECT_TRUE(ImageList::listFolder(realFileSystem(), dir.file("nowhere"), false, false).isEmpty());
}

TEST(ImageListBuild, FolderNamesWithWildcardsAreLiteral) {
    TempDir dir;
    QDir(dir.path()).mkdir("a*");
    QDir(dir.path()).mkdir("ab");
    Touch(Raw(dir, "ab/in-ab.jpg"));
    Touch(Raw(dir, "a*/in-star.jpg"));
    EXPECT_EQ(ImageList::listFolder(realFileSystem(), dir.file("a*"), false, false), QStringList{"in-star.jpg"});
    PosixFileSystem fs;
    EXPECT_TRUE(fs.isDirectory(dir.file("a*")));
    EXPECT_FALSE(fs.isDirectory(dir.file("a?")));
    EXPECT_FALSE(fs.isRegularFile(dir.file("ab/*.jpg")));
    EXPECT_TRUE(fs.isRegularFile(dir.file("ab/in-ab.jpg")));
}

TEST(ImageListBuild, MoreThan32767Files) {
    TempDir dir;
    const int n = 33000;
    const QByteArray base = QFile::encodeName(dir.path()) + "/f";
    for (int i = 0; i < n; ++i) Touch(base + QByteArray::number(i) + ".gif");
    const QStringList list = ImageList::listFolder(realFileSystem(), dir.path(), false, false);
    ASSERT_EQ(list.size(), n);
    EXPECT_EQ(list.first(), "f0.gif");
    EXPECT_EQ(list.at(9), "f9.gif");
    EXPECT_EQ(list.at(10), "f10.gif");
    EXPECT_EQ(list.last(), "f32999.gif");
}

namespace {
ImageList ListWith(int count, int position) {
    QStringList names;
    for (int i = 1; i <= count; ++i) names << QStringLiteral("f%1.jpg").arg(i);
    ImageList list;
    list.assign("/pics", names);
    list.setPosition(position);
    return list;
}
}  // namespace

TEST(ImageListStep, WrapAroundBothWays) {
    const ImageList five = ListWith(5, 1);
    EXPECT_EQ(five.after(1), 2);
    EXPECT_EQ(five.after(5), 1);
    EXPECT_EQ(five.before(1), 5);
    EXPECT_EQ(five.before(3), 2);
    // One entry: both steps stay on it.
    ImageList one = ListWith(1, 1);
    one.step(+1);
    EXPECT_EQ(one.position(), 1);
    one.step(-1);
    EXPECT_EQ(one.position(), 1);
}

TEST(ImageListFind, ExactFullPathOnly) {
    const ImageList list = ListWith(3, 1);
    EXPECT_EQ(list.folder(), "/pics/");
    EXPECT_EQ(list.find("/pics/f2.jpg"), 2);
    EXPECT_EQ(list.find("/pics/F2.jpg"), 0);
    EXPECT_EQ(list.find("/other/f2.jpg"), 0);
}

TEST(ImageListRemove, TheFollowingEntryTakesThePlace) {
    ImageList list = ListWith(5, 3);
    ASSERT_TRUE(list.removeShown());
    EXPECT_EQ(list.shownPath(), "/pics/f4.jpg");
    EXPECT_EQ(list.position(), 3);
    EXPECT_EQ(list.names(), (QStringList{"f1.jpg", "f2.jpg", "f4.jpg", "f5.jpg"}));
}

TEST(ImageListRemove, TheLastEntryWrapsToTheFirstAndTheOnlyOneEmptiesTheList) {
    ImageList list = ListWith(5, 5);
    ASSERT_TRUE(list.removeShown());
    EXPECT_EQ(list.shownPath(), "/pics/f1.jpg");
    EXPECT_EQ(list.count(), 4);
    ImageList one = ListWith(1, 1);
    ASSERT_TRUE(one.removeShown());
    EXPECT_EQ(one.position(), 0);
    EXPECT_EQ(one.shownPath(), "");
}

TEST(ImageListRemove, NothingShownChangesNothing) {
    ImageList list = ListWith(2, 0);
    EXPECT_FALSE(list.removeShown());
    EXPECT_EQ(list.count(), 2);
}
