#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "TestSupport.h"
#include "platform/TextFile.h"

namespace {

TEST(TextFile, WritesCodePage932WithCrLf) {
    TempDir dir;
    QString error;
    ASSERT_TRUE(TextFile::writeLines(dir.file("a.ini"), {QStringLiteral("新規ページ"), QString(), QStringLiteral("C:\\x")}, &error));
    // 新規ページ in code page 932, CR LF after every line, the backslash kept as 0x5C.
    const QByteArray expected = QByteArray("\x90\x56\x8B\x4B\x83\x79\x81\x5B\x83\x57\r\n\r\nC:\\x\r\n");
    EXPECT_EQ(dir.read("a.ini"), expected);
}

TEST(TextFile, FallsBackToUtf8WithBomForTextCp932CannotHold) {
    TempDir dir;
    const QString emoji = QStringLiteral("写真\U0001F600");
    const QString wave = QStringLiteral("a\u301Cb");  // does not survive the round trip
    ASSERT_TRUE(TextFile::writeLines(dir.file("u.ini"), {QStringLiteral("first"), emoji, wave}, nullptr));
    const QByteArray bytes = dir.read("u.ini");
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringList lines;
    ASSERT_TRUE(TextFile::readLines(dir.file("u.ini"), &lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("first"), emoji, wave}));
}

// Found by fuzzing: the reader took off the file's mark and then a second one, the first
// line's own U+FEFF.
TEST(TextFile, AFirstLineStartingWithU_FEFFReadsBackWhole) {
    const QStringList lines{QStringLiteral("\uFEFF写真")};
    EXPECT_EQ(TextFile::decodeFile(TextFile::encodeFile(lines)), lines);
}

TEST(TextFile, ReadsLfCrAndCrLfEndsAndKeepsEmptyLines) {
    EXPECT_EQ(TextFile::decodeFile("a\nb\r\n\r\nc"), (QStringList{"a", "b", "", "c"}));
    EXPECT_EQ(TextFile::decodeFile("a\r\n"), (QStringList{"a"}));
    EXPECT_EQ(TextFile::decodeFile("a\rb"), (QStringList{"a", "b"}));
    EXPECT_TRUE(TextFile::decodeFile(QByteArray()).isEmpty());
}

TEST(TextFile, InvalidBytesAndNulsNeverStopReading) {
    // A lone lead byte, an invalid trail and a NUL: each line still comes back.
    static const char raw[] = "\x81\r\nok\r\n\x82\x20x\r\nnul\0here\r\nend";
    const QByteArray bytes(raw, sizeof raw - 1);
    const QStringList lines = TextFile::decodeFile(bytes);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.at(1), QStringLiteral("ok"));
    EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("nul")));
    EXPECT_EQ(lines.at(4), QStringLiteral("end"));
}

TEST(TextFile, MissingFileReadsAsFailure) {
    TempDir dir;
    QStringList lines{"stale"};
    EXPECT_FALSE(TextFile::readLines(dir.file("none.ini"), &lines));
    EXPECT_TRUE(lines.isEmpty());
}

TEST(TextFile, FailedSaveKeepsTheOldFileAndSaysWhy) {
    // A read-only filesystem refuses even root, which CI runs as.
    TempDir dir;
    ScopedMount mount(dir.file("ro"), "size=64k");
    if (!mount.ok()) GTEST_SKIP() << mount.reason().toStdString();
    dir.write("ro/keep.ini", "old\r\n");
    ASSERT_TRUE(mount.remountReadOnly()) << mount.reason().toStdString();
    QString error;
    EXPECT_FALSE(TextFile::writeLines(dir.file("ro/keep.ini"), {QStringLiteral("new")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(dir.read("ro/keep.ini"), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.file("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.ini"});
}

TEST(TextFile, FullDiskKeepsTheOldFile) {
    TempDir dir;
    ScopedMount mount(dir.file("full"), "size=8k");
    if (!mount.ok()) GTEST_SKIP() << mount.reason().toStdString();
    dir.write("full/keep.ini", "old\r\n");
    QStringList big;
    for (int i = 0; i < 2000; ++i) big << QStringLiteral("line %1 of a file larger than the disk").arg(i);
    QString error;
    EXPECT_FALSE(TextFile::writeLines(dir.file("full/keep.ini"), big, &error));
    EXPECT_EQ(dir.read("full/keep.ini"), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.file("full")).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.ini"});
}

}  // namespace
