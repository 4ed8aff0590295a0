// The platform's path helpers and the path encoding of file names.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "TestSupport.h"

namespace {

// The argument is the path as it stands (quotes and blanks are name characters), made absolute
// and tidied only where the tidy path names the same file.
TEST(CommandLineTest, PathIsTheArgumentMadeAbsoluteAndTidy) {
    TempDir t;
    QDir().mkpath(t.file("imgs/deep"));
    t.write("imgs/say \"hi\".jpg", "x");
    ASSERT_EQ(::symlink(QFile::encodeName(t.file("imgs/deep")).constData(),
                        QFile::encodeName(t.file("link")).constData()), 0);
    PosixFileSystem fs;
    const auto CommandLinePath = [&fs](const QString& given, const QString& startDir) {
        return Paths::commandLinePath(fs, given, startDir);
    };
    const QString start = t.file("imgs/deep");
    EXPECT_EQ(CommandLinePath("", start), "");
    EXPECT_EQ(CommandLinePath("../say \"hi\".jpg", start), t.file("imgs/say \"hi\".jpg"));
    EXPECT_EQ(CommandLinePath(t.file("imgs/./deep/../say \"hi\".jpg"), "/"), t.file("imgs/say \"hi\".jpg"));
    EXPECT_EQ(CommandLinePath("./a\"b", start), start + "/./a\"b");  // names nothing: as given
    // Through a link, ".." is the link target's parent, not the folder holding the link.
    EXPECT_EQ(CommandLinePath(t.file("link/../say \"hi\".jpg"), "/"),
              QFileInfo(t.file("imgs/say \"hi\".jpg")).canonicalFilePath());
}

TEST(PathsTest, LastPathComponent) {
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
        EXPECT_EQ(Paths::lastPathComponent(path), QString::fromUtf8(c.result)) << c.in;
        EXPECT_EQ(path, QString::fromUtf8(c.after)) << c.in;
    }
}

TEST(PathsTest, InvalidUtf8NamesSurviveTheRoundTrip) {
    for (const QByteArray& bytes : {QByteArray("bad\xff\xfe.jpg"), QByteArray("\xe3\x81.jpg"),
                                    QByteArray("\xed\xa0\x80"), QByteArray("ok \xe5\x86\x99.jpg"),
                                    QByteArray("\xc0\xaf"), QByteArray("\xf4\x90\x80\x80")}) {
        EXPECT_EQ(FsPath::encodePath(FsPath::decodeName(bytes)), bytes);
    }
    EXPECT_EQ(FsPath::decodeName("写真.jpg"), QStringLiteral("写真.jpg"));
    EXPECT_EQ(FsPath::decodeName("\xf0\x9f\x98\x80"), QString::fromUtf8("\xf0\x9f\x98\x80"));
}

}  // namespace
