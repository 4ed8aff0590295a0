// Decoding ahead: fast, and never different from decoding on demand.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

#include "RealFileSystem.h"
#include "platform/FileSystem.h"
#include "view/ImageView.h"
#include "ui/MainWindow.h"
#include "view/PictureLoader.h"
#include "view/PictureDecoder.h"
#include "view/Prefetcher.h"
#include "TestImages.h"
#include "WorkingDirectoryGuard.h"
#include "PictureSettled.h"
#include "TestSupport.h"

namespace {

// A JPEG of w x h with detail in every block, so a wrong scale or offset shows in the pixels.
QByteArray DetailedJpeg(int w, int h, int seed = 0) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + seed * 40) & 255, (y * 5) & 255, ((x ^ y) + seed) & 255));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    return bytes;
}

// `jpeg` with `markers` empty application segments after its start marker: a header that
// takes a while to read through (tens of milliseconds for a million), the picture unchanged.
QByteArray WithSlowHeader(const QByteArray& jpeg, int markers) {
    QByteArray out = jpeg.left(2);
    for (int i = 0; i < markers; ++i) out.append("\xFF\xEF\x00\x02", 4);
    return out + jpeg.mid(2);
}

// The files the prefetcher's workers are done with, as they tell it: a test waits for the news
// of the file it stands on instead of polling. Shared with the callback, which may come from a
// worker until the prefetcher's destructor begins.
class FinishedFiles {
public:
    explicit FinishedFiles(Prefetcher& p) : shared_(std::make_shared<Shared>()) {
        p.setFinished([shared = shared_](const QString& path) {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->done.insert(path);
            shared->told.notify_all();
        });
    }
    bool waitFor(std::initializer_list<QString> paths) {
        std::unique_lock<std::mutex> lock(shared_->mutex);
        return shared_->told.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::all_of(paths.begin(), paths.end(),
                               [&](const QString& path) { return shared_->done.count(path) > 0; });
        });
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable told;
        std::set<QString> done;
    };
    std::shared_ptr<Shared> shared_;
};

QImage PlainDecode(const QString& path) {
    QImage img;
    EXPECT_EQ(PictureDecoder::decode(path, &img), PictureDecoder::Outcome::Decoded);
    return img;
}

}  // namespace

class PrefetcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 6; ++i) dir.write(Name(i), DetailedJpeg(400, 300, i));
    }
    static QString Name(int i) { return QStringLiteral("p%1.jpg").arg(i); }
    QString Path(int i) const { return dir.file(Name(i)); }
    std::vector<Prefetcher::Job> Jobs(std::initializer_list<int> which) const {
        std::vector<Prefetcher::Job> jobs;
        for (int i : which) jobs.push_back({Path(i), QSize()});
        return jobs;
    }
    TempDir dir;
};

TEST_F(PrefetcherTest, DecodesAheadWithThePlainDecodesPixels) {
    Prefetcher p(realFileSystem());
    p.request(Path(0), Jobs({1, 2}), false);
    ASSERT_TRUE(p.waitIdle(10000));
    DecodedPicture d;
    ASSERT_TRUE(p.take(Path(1), QSize(), &d));
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.picture.pixels(), PlainDecode(Path(1)));
    EXPECT_EQ(d.picture.size(), QSize(400, 300));
    EXPECT_EQ(p.statusOf(Path(2), QSize()), Prefetcher::Status::Ready);
    // The shown file is held, never decoded ahead.
    EXPECT_EQ(p.statusOf(Path(0), QSize()), Prefetcher::Status::NotPlanned);
    EXPECT_EQ(p.decodeCount(), 2);
}

// The shown picture is decoded and painted first: neighbours asked to wait are not decoded
// beside it, yet count as pending (a held key passes over them) until they are started.
TEST_F(PrefetcherTest, NeighboursAskedToWaitAreDecodedOnlyOnceStarted) {
    Prefetcher p(realFileSystem());
    FinishedFiles finished(p);
    p.request(Path(0), Jobs({1, 2}), false, false);
    dir.write("shown.jpg", DetailedJpeg(2000, 1500));
    ASSERT_TRUE(decodePictureFile(realFileSystem(), dir.file("shown.jpg"), false, QSize()).ok);
    EXPECT_EQ(p.decodeCount(), 0);
    EXPECT_EQ(p.statusOf(Path(1), QSize()), Prefetcher::Status::Pending);
    p.start();
    ASSERT_TRUE(finished.waitFor({Path(1), Path(2)}));
    EXPECT_EQ(p.statusOf(Path(1), QSize()), Prefetcher::Status::Ready);
    EXPECT_EQ(p.statusOf(Path(2), QSize()), Prefetcher::Status::Ready);
}

TEST_F(PrefetcherTest, TheLatestRequestWins) {
    Prefetcher p(realFileSystem(), Prefetcher::kDefaultBudget, 1);  // one worker: what ran is then exact
    FinishedFiles finished(p);
    // A large picture keeps the worker busy while the burst arrives, so the test does not
    // depend on how the threads happen to be scheduled.
    // A small picture first: the worker puts it down and takes up the large one under one
    // hold of the lock, so once the small one is done the worker is busy.
    dir.write("first.jpg", DetailedJpeg(40, 30, 8));
    dir.write("slow.jpg", DetailedJpeg(4000, 3000, 9));
    p.request(Path(0), {{dir.file("first.jpg"), QSize()}, {dir.file("slow.jpg"), QSize()}}, false);
    ASSERT_TRUE(finished.waitFor({dir.file("first.jpg")}));
    ASSERT_EQ(p.statusOf(dir.file("first.jpg"), QSize()), Prefetcher::Status::Ready);
    // A burst of requests, as a held key makes: only what the last one wants is kept.
    for (int i = 0; i < 5; ++i) p.request(Path(i), Jobs({i + 1}), false);
    p.request(Path(0), Jobs({5, 4}), false);
    ASSERT_TRUE(p.waitIdle(10000));
    DecodedPicture d;
    EXPECT_TRUE(p.take(Path(5), QSize(), &d));
    EXPECT_TRUE(p.take(Path(4), QSize(), &d));
    for (int i : {1, 2, 3}) EXPECT_FALSE(p.take(Path(i), QSize(), &d)) << i;
    // Besides the two wanted, only the jobs begun before the burst ran.
    EXPECT_LE(p.decodeCount(), 4);
}

// A progressive photo takes far longer to decode than a baseline one; with two workers the
// picture after it is ready long before it, and the same file is never decoded twice at once.
TEST_F(PrefetcherTest, ASlowPictureDoesNotHoldUpTheOneAfterIt) {
    Prefetcher p(realFileSystem(), Prefetcher::kDefaultBudget, 2);
    FinishedFiles finished(p);
    dir.write("slow.jpg", DetailedJpeg(4000, 3000, 9));
    const QString slow = dir.file("slow.jpg");
    p.request(Path(0), {{slow, QSize()}, {Path(1), QSize()}}, false);
    ASSERT_TRUE(finished.waitFor({Path(1)}));
    EXPECT_EQ(p.statusOf(Path(1), QSize()), Prefetcher::Status::Ready);
    EXPECT_EQ(p.statusOf(slow, QSize()), Prefetcher::Status::Pending);
    // Asked for again while it is being decoded: the running decode serves.
    p.request(Path(0), {{slow, QSize()}, {Path(1), QSize()}, {Path(2), QSize()}}, false);
    ASSERT_TRUE(finished.waitFor({Path(2)}));
    EXPECT_EQ(p.statusOf(Path(2), QSize()), Prefetcher::Status::Ready);
    EXPECT_EQ(p.statusOf(slow, QSize()), Prefetcher::Status::Pending);
    ASSERT_TRUE(p.waitIdle(60000));
    DecodedPicture d;
    ASSERT_TRUE(p.take(slow, QSize(), &d));
    EXPECT_EQ(d.picture.size(), QSize(4000, 3000));
    EXPECT_EQ(p.decodeCount(), 3);
}

TEST_F(PrefetcherTest, StaysWithinItsBudgetKeepingTheMostWanted) {
    // Small pictures, quick to decode, but the most wanted one's header is slow to read: the
    // other worker has long decoded the next one and turned to a third by the time the room
    // the first needs is known.
    for (int i : {0, 2, 3, 4}) dir.write(Name(i), DetailedJpeg(40, 30, i));
    dir.write(Name(1), WithSlowHeader(DetailedJpeg(40, 30, 1), 1000000));
    const int64_t one = 40 * 30 * 4;
    Prefetcher p(realFileSystem(), one * 2 + one / 2, 2);
    p.request(Path(0), Jobs({1, 2, 3, 4}), false);
    ASSERT_TRUE(p.waitIdle(10000));
    EXPECT_LE(p.heldBytes(), p.budget());
    // Two workers decoding 1 and 2 keep their room while they decode, so the third never
    // finds room to be decoded in, whichever finishes first.
    EXPECT_EQ(p.decodeCount(), 2);
    DecodedPicture d;
    EXPECT_TRUE(p.take(Path(1), QSize(), &d));
    EXPECT_TRUE(p.take(Path(2), QSize(), &d));
    EXPECT_FALSE(p.take(Path(3), QSize(), &d));
    EXPECT_EQ(p.statusOf(Path(4), QSize()), Prefetcher::Status::NotPlanned);
    // The shown picture comes first: keeping it pushes out the least wanted.
    p.keep(Path(0), decodePictureFile(realFileSystem(), Path(0), false, QSize()));
    EXPECT_TRUE(p.take(Path(0), QSize(), &d));
    EXPECT_TRUE(p.take(Path(1), QSize(), &d));
    EXPECT_FALSE(p.take(Path(2), QSize(), &d));
    EXPECT_LE(p.heldBytes(), p.budget());
}

TEST_F(PrefetcherTest, AFileChangedOnDiskIsDecodedAgain) {
    dir.write(Name(1), DetailedJpeg(400, 300, 1) + QByteArray(8192, '\0'));
    Prefetcher p(realFileSystem());
    p.request(Path(0), Jobs({1}), false);
    ASSERT_TRUE(p.waitIdle(10000));
    // Rewritten in place with another picture of the same length, the old modification time
    // put back: only the inode's change time tells.
    const QByteArray before = dir.read(Name(1));
    QByteArray other = DetailedJpeg(400, 300, 9);
    ASSERT_LE(other.size(), before.size());
    other.append(QByteArray(before.size() - other.size(), '\0'));  // after the end marker
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(Path(1)).constData(), &st), 0);
    dir.write(Name(1), other);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(Path(1)).constData(), times, 0), 0);
    DecodedPicture d;
    EXPECT_FALSE(p.take(Path(1), QSize(), &d));
    p.request(Path(0), Jobs({1}), false);
    ASSERT_TRUE(p.waitIdle(10000));
    ASSERT_TRUE(p.take(Path(1), QSize(), &d));
    EXPECT_EQ(d.picture.pixels(), PlainDecode(Path(1)));
    dir.write("old.jpg", before);
    EXPECT_NE(d.picture.pixels(), PlainDecode(dir.file("old.jpg")));
    // A vanished file is never handed out.
    QFile::remove(Path(1));
    EXPECT_FALSE(p.take(Path(1), QSize(), &d));
}

TEST_F(PrefetcherTest, AReducedPictureServesOnlyViewsItCovers) {
    dir.write("big.jpg", DetailedJpeg(1600, 1200));
    const QString big = dir.file("big.jpg");
    Prefetcher p(realFileSystem());
    p.request(Path(0), {{big, QSize(300, 300)}}, false);
    ASSERT_TRUE(p.waitIdle(10000));
    DecodedPicture d;
    EXPECT_FALSE(p.take(big, QSize(), &d));           // actual size needs every pixel
    EXPECT_FALSE(p.take(big, QSize(1000, 800), &d));  // a larger view needs more of them
    ASSERT_TRUE(p.take(big, QSize(300, 300), &d));
    EXPECT_EQ(d.picture.size(), QSize(1600, 1200));
    EXPECT_EQ(d.picture.pixels().size(), QSize(400, 300));
    // Prepared with the view's own smooth scaling of the same pixels.
    const QImage* stretched = d.picture.stretchedTo(QSize(300, 225));
    ASSERT_NE(stretched, nullptr);
    EXPECT_EQ(*stretched, d.picture.pixels().scaled(QSize(300, 225), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation));
}

TEST_F(PrefetcherTest, FailuresAreReportedAsOnDemand) {
    dir.write("broken.jpg", "no picture");
    dir.write("x.png", TestImages::Encode(4, 4, "PNG"));
    DecodedPicture d = decodePictureFile(realFileSystem(), dir.file("broken.jpg"), false, QSize());
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.outcome, PictureDecoder::Outcome::NotAPicture);
    d = decodePictureFile(realFileSystem(), dir.file("missing.jpg"), false, QSize());
    EXPECT_EQ(d.outcome, PictureDecoder::Outcome::NotAFile);
    // Without the plug-in a png name is never decoded, whatever its bytes.
    d = decodePictureFile(realFileSystem(), dir.file("x.png"), false, QSize());
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.pngRoute);
    Prefetcher p(realFileSystem());
    p.request(Path(0), {{dir.file("broken.jpg"), QSize()}}, false);
    ASSERT_TRUE(p.waitIdle(10000));
    // Known to fail: a held key may step onto it, and the step decodes it as always.
    EXPECT_EQ(p.statusOf(dir.file("broken.jpg"), QSize()), Prefetcher::Status::Ready);
    EXPECT_FALSE(p.take(dir.file("broken.jpg"), QSize(), &d));
}

// Shown before and after the view is on screen, stepped onto cold and seen at actual size:
// every decode, and so every colour conversion, runs on a worker, never on the window's thread.
TEST_F(PrefetcherTest, TheWindowsThreadNeverDecodes) {
    dir.write("big1.jpg", DetailedJpeg(1600, 1200, 1));
    dir.write("big2.jpg", DetailedJpeg(1600, 1200, 2));
    auto onWindowThread = std::make_shared<std::atomic<int>>(0);
    const Prefetcher::Decode decode = [onWindowThread](const QString& path, bool png, const QSize& cover) {
        if (QThread::currentThread() == qApp->thread()) ++*onWindowThread;
        return decodePictureFile(realFileSystem(), path, png, cover);
    };
    ImageView view;
    QWidget window;
    view.resize(400, 300);
    PictureLoader loader(view, window, realFileSystem(), decode);
    EXPECT_TRUE(loader.show(dir.file("big1.jpg"), {}, false));  // not on screen yet: it waits
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_FALSE(loader.show(dir.file("big2.jpg"), {}, true));
    ASSERT_TRUE(pictureSettled(loader));
    EXPECT_TRUE(loader.picture().isReduced());
    loader.setFit(false);
    loader.drawAfresh();
    ASSERT_TRUE(QTest::qWaitFor([&loader] { return !loader.picture().isReduced(); }, 20000));
    EXPECT_EQ(loader.prefetcher().decodeCount(), 3);
    EXPECT_EQ(*onWindowThread, 0);
}

// The real window, shown, in stretched mode: stepping onto pictures decoded ahead, reduced.
class MainWindowPrefetch : public ::testing::Test {
protected:
    WorkingDirectoryGuard workingDirectory;  // first: undone last
    void SetUp() override {
        services.msgBox = &msg;
        services.fileSystem = &fs;
        pics.write("a.jpg", DetailedJpeg(3200, 2400, 1));
        pics.write("b.jpg", DetailedJpeg(3200, 2400, 2));
        pics.write("c.jpg", DetailedJpeg(3200, 2400, 3));
    }
    void TearDown() override {
        window.reset();
    }
    TempDir program;
    TempDir pics;
    FakeMsgBox msg;
    PosixFileSystem fs;
    Services services;
    std::unique_ptr<MainWindow> window;
};

// Started on a folder in fit mode, the first picture is decoded for the view the window will
// have, not whole, and the window once shown draws it without decoding it again.
TEST_F(MainWindowPrefetch, TheFirstPictureIsDecodedForTheViewTheWindowWillHave) {
    program.write("config/設定_オプション.ini",
                  "\"CurrentFullMode\",-1\r\n\"StateWndMain\",0,0,800,600,1\r\n");
    window = std::make_unique<MainWindow>(services, program.path(), pics.path());
    window->startUp();
    EXPECT_EQ(window->pictureLoader().picture().size(), QSize(3200, 2400));
    EXPECT_TRUE(window->pictureLoader().picture().isReduced());
    const qint64 decoded = window->pictureLoader().picture().pixels().cacheKey();
    window->showAtSavedPlace();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->pictureLoader().picture().pixels().cacheKey(), decoded);
}

TEST_F(MainWindowPrefetch, StretchedShowsReducedPicturesAndActualSizeTheWholeOne) {
    window = std::make_unique<MainWindow>(services, program.path(), QString());
    window->startUp();
    window->options().fitToView = true;
    window->resize(800, 600);
    window->show();
    window->openFolderAt(pics.path());
    MainWindow& f = *window;
    ASSERT_TRUE(pictureSettled(f.pictureLoader()));
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(3200, 2400));
    ASSERT_TRUE(f.prefetcher().waitIdle(20000));
    f.nextFile();
    EXPECT_EQ(f.session().list().position(), 2);
    EXPECT_TRUE(f.session().imageShown());
    // Natural size reported, fewer pixels held.
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(3200, 2400));
    EXPECT_TRUE(f.pictureLoader().picture().isReduced());
    EXPECT_LE(f.prefetcher().heldBytes(), f.prefetcher().budget());

    // Enter: actual size, the full-resolution picture of the same file, which a worker decodes
    // while the window shows the reduced one enlarged.
    f.toggleFitMode();
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(3200, 2400));
    ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.pictureLoader().picture().isReduced(); }, 20000));
    EXPECT_EQ(f.pictureLoader().picture().pixels(), PlainDecode(pics.file("b.jpg")));
    const QImage view = f.imageView()->backing().toImage();
    EXPECT_EQ(view.pixel(5, 5), f.pictureLoader().picture().pixels().pixel(5, 5));
    f.toggleFitMode();
    f.previousFile();
    EXPECT_EQ(f.session().list().position(), 1);
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(3200, 2400));
}
