#include <gtest/gtest.h>

#include "FileSystem.h"
#include "TestSupport.h"

namespace {

// Pattern characters are plain name characters, and a folder is found with its final "/".
TEST(FileSystem, ExistsIsALiteralLookup) {
    TempDir dir;
    dir.write(QStringLiteral("a*?[b"), "x");
    dir.write(QStringLiteral("sub/f"), "x");
    PosixFileSystem fs;
    EXPECT_TRUE(fs.Exists(dir.file(QStringLiteral("a*?[b"))));
    EXPECT_FALSE(fs.Exists(dir.file(QStringLiteral("a*"))));
    EXPECT_TRUE(fs.Exists(dir.file(QStringLiteral("sub"))));
    EXPECT_TRUE(fs.Exists(dir.file(QStringLiteral("sub/"))));
    EXPECT_FALSE(fs.Exists(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(fs.Exists(QString()));
}

}  // namespace
