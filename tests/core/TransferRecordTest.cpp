#include <gtest/gtest.h>

#include <QTimeZone>

#include "platform/FileSystem.h"
#include "core/TransferRecord.h"
#include "TestSupport.h"

namespace {

using TransferRecord::Entry;
using TransferRecord::Kind;

// A line holds exactly the five fields, every path byte kept, and reads back one line per
// entry; a file past the limit is kept as the ".1" file, replacing an older one.
TEST(TransferRecordTest, LinesEscapePathsAndTheFileIsKeptAtItsLimit) {
    const QDateTime tokyo(QDate(2026, 12, 9), QTime(16, 5, 7), QTimeZone(9 * 3600));
    const QString odd = QStringLiteral("/写真/a\tb\nc\rd\\e ") + FsPath::decodeName(QByteArray("\xff", 1)) +
                        QStringLiteral("😀.jpg");
    const Entry moved{tokyo, Kind::Moved, odd, QStringLiteral("/仕分け/風景/x.jpg"), 1234567};
    EXPECT_EQ(TransferRecord::lineOf(moved),
              QStringLiteral("2026-12-09T16:05:07+09:00\t移動\t/写真/a\\tb\\nc\\rd\\\\e \\xFF😀.jpg\t"
                             "/仕分け/風景/x.jpg\t1234567\n")
                  .toUtf8());
    const QDateTime west(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(-(3 * 3600 + 30 * 60)));
    EXPECT_EQ(TransferRecord::lineOf(Entry{west, Kind::Deleted, QStringLiteral("/a"), QString(), 0}),
              QByteArray("2026-01-02T03:04:05-03:30\t\xe5\x89\x8a\xe9\x99\xa4\t/a\t\t0\n"));

    TempDir dir;
    const QByteArray line = TransferRecord::lineOf(moved);
    TransferRecord::File file(dir.file("転送記録.tsv"), 2 * line.size());
    EXPECT_EQ(file.keptPath(), dir.file("転送記録.1.tsv"));
    dir.write("転送記録.1.tsv", "older\n");
    for (int i = 0; i < 3; ++i) ASSERT_FALSE(file.append(moved).has_value());
    EXPECT_EQ(dir.read("転送記録.1.tsv"), line + line);
    EXPECT_EQ(dir.read("転送記録.tsv"), line);

    TransferRecord::File nowhere(dir.file("gone/転送記録.tsv"));
    const std::optional<FsError> failed = nowhere.append(moved);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->code, ENOENT);
}

}  // namespace
