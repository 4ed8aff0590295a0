// The prefetcher's two workers under a burst of requests, takes, keeps and clears from the
// interface thread, as a held key makes them: run under ThreadSanitizer (`make tsan`), any
// unguarded access between the threads fails it; everywhere, every picture handed out is
// its own file's.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "RealFileSystem.h"
#include "view/Prefetcher.h"
#include "TestImages.h"
#include "TestSupport.h"

namespace {

constexpr int kFiles = 8;

QSize SizeOf(int i) { return QSize(48 + 8 * i, 32 + 6 * i); }

}  // namespace

TEST(PrefetcherWorkers, ABurstOfRequestsGetsEachFileItsOwnPicture) {
    TempDir dir;
    const auto path = [&dir](int i) { return dir.file(QStringLiteral("p%1.jpg").arg(i % kFiles)); };
    for (int i = 0; i < kFiles; ++i)
        dir.write(QStringLiteral("p%1.jpg").arg(i), TestImages::Encode(SizeOf(i).width(), SizeOf(i).height(), "JPG"));
    // Room for a few pictures only, so the workers also evict and reserve against each other.
    Prefetcher prefetcher(realFileSystem(), 4 * 48 * 32 * 4 * 3, 2);

    int taken = 0;
    for (int step = 0; step < 3 * kFiles; ++step) {
        const int i = step % kFiles;
        const QSize view = step % 2 ? QSize(30, 20) : QSize();
        const bool startNow = step % 3 != 0;
        prefetcher.request(path(i), {{path(i + 1), view}, {path(i + 2), view}, {dir.file("gone.jpg"), view}},
                           false, startNow);
        if (!startNow) prefetcher.start();
        if (step == 5) prefetcher.keep(path(i), decodePictureFile(realFileSystem(), path(i), false, QSize()));
        if (step == 11) prefetcher.clear();
        // Changed on disk while its neighbours are decoded: never handed out stale.
        if (step == 13) dir.write(QStringLiteral("p6.jpg"), TestImages::Encode(SizeOf(6).width(), SizeOf(6).height(), "JPG", Qt::blue));
        // Asked over and over while both workers decode, as the window asks at each step.
        QElapsedTimer asking;
        asking.start();
        while (prefetcher.statusOf(path(i + 2), view) == Prefetcher::Status::Pending && asking.elapsed() < 60000) {
        }
        for (int ahead : {0, 1}) {
            DecodedPicture picture;
            if (!prefetcher.take(path(i + ahead), QSize(), &picture)) continue;
            ++taken;
            EXPECT_TRUE(picture.ok);
            EXPECT_EQ(picture.picture.size(), SizeOf((i + ahead) % kFiles)) << step;
        }
    }
    ASSERT_TRUE(prefetcher.waitIdle(60000));
    DecodedPicture last;  // the last request's first neighbour, for its view
    ASSERT_TRUE(prefetcher.take(path(kFiles), QSize(30, 20), &last));
    EXPECT_EQ(last.picture.size(), SizeOf(0));
    EXPECT_GT(taken, 0);

    // Destroyed while both workers are busy: they stop after their current decode.
    prefetcher.request(path(0), {{path(3), QSize()}, {path(4), QSize()}, {path(5), QSize()}}, false);
}
