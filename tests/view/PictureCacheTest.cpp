// The held pictures within their budget, without the prefetcher's threads.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "RealFileSystem.h"
#include "view/PictureCache.h"
#include "TestSupport.h"

namespace {

// 10 x 10 pixels per row of `rows`: a picture of the file `path` as it stands now.
DecodedPicture Decoded(const QString& path, int rows = 10) {
    DecodedPicture d;
    d.ok = d.stable = true;
    d.picture = PictureBuffer(QImage(10, rows, QImage::Format_ARGB32));
    EXPECT_TRUE(stampOf(realFileSystem(), path, &d.stamp));
    return d;
}

constexpr int64_t kOne = 10 * 10 * 4;

}  // namespace

TEST(PictureCache, DropsTheLeastWantedLongestUnusedAndNothingForRoomItCannotHave) {
    TempDir dir;
    const auto f = [&dir](const char* name) { dir.write(name, "x"); return dir.file(name); };
    const QString shown = f("s.jpg"), a = f("a.jpg"), b = f("b.jpg"), c = f("c.jpg");
    PictureCache cache(realFileSystem(), 3 * kOne);
    cache.setWanted({shown, a, c, b});
    for (const QString& p : {shown, a, b}) cache.put(p, Decoded(p));
    // c needs two pictures' room, and only b is less wanted: b stays.
    cache.put(c, Decoded(c, 20));
    EXPECT_FALSE(cache.answers(c, QSize()));
    EXPECT_TRUE(cache.answers(b, QSize()));

    // A newer request wants neither a nor b; a was used since b was put, so b goes first.
    cache.setWanted({shown, c});
    DecodedPicture out;
    ASSERT_TRUE(cache.take(a, QSize(), &out));
    cache.put(c, Decoded(c));
    EXPECT_FALSE(cache.answers(b, QSize()));
    EXPECT_TRUE(cache.answers(a, QSize()));
    // The room a decode in progress holds counts: d's takes a's place, and neither the shown
    // picture nor a more wanted one is ever dropped for it.
    const QString d = dir.file("d.jpg");
    cache.setWanted({shown, c, d});
    EXPECT_TRUE(cache.reserve(d, kOne));
    EXPECT_FALSE(cache.answers(a, QSize()));
    EXPECT_FALSE(cache.reserve(d, kOne));
    EXPECT_TRUE(cache.answers(shown, QSize()));
    EXPECT_TRUE(cache.answers(c, QSize()));
    EXPECT_LE(cache.heldBytes() + cache.reservedBytes(), cache.budget());
}

TEST(PictureCache, APictureOfAReplacedFileIsDroppedOnTake) {
    TempDir dir;
    dir.write("a.jpg", "old");
    dir.write("new.jpg", "new");
    const QString a = dir.file("a.jpg");
    PictureCache cache(realFileSystem(), 10 * kOne);
    cache.setWanted({a});
    cache.put(a, Decoded(a));
    ASSERT_TRUE(QFile::remove(a));
    ASSERT_TRUE(QFile::rename(dir.file("new.jpg"), a));
    DecodedPicture out;
    EXPECT_FALSE(cache.take(a, QSize(), &out));
    EXPECT_EQ(cache.heldBytes(), 0);
}
