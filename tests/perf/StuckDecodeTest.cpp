// A decode on a worker that does not end (a file on a hung share): the window goes on without
// it, and the end of the program does not wait for it.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "RealFileSystem.h"
#include "platform/FileSystem.h"
#include "view/ImageView.h"
#include "view/PictureLoader.h"
#include "ui/SessionPictures.h"
#include "view/Prefetcher.h"
#include "core/SortingSession.h"
#include "TestImages.h"
#include "TestSupport.h"

namespace {

// Decodes as the program does, but the first decode of a name ending in `stallOn` waits for
// release(). What the stalled worker uses is its own, so it may outlive the test's objects.
class StallingDecode {
public:
    explicit StallingDecode(const QString& stallOn) : shared_(std::make_shared<Shared>()) {
        shared_->stallOn = stallOn;
        shared_->released = shared_->release.get_future().share();
        entered_ = shared_->entered.get_future();
    }
    Prefetcher::Decode decode() const {
        return [shared = shared_](const QString& path, bool png, const QSize& cover) {
            if (path.endsWith(shared->stallOn) && !shared->stalled.exchange(true)) {
                shared->entered.set_value();
                shared->released.wait();
            }
            return decodePictureFile(realFileSystem(), path, png, cover);
        };
    }
    bool enteredWithin10s() { return entered_.wait_for(std::chrono::seconds(10)) == std::future_status::ready; }
    void release() { shared_->release.set_value(); }

private:
    struct Shared {
        QString stallOn;
        std::atomic<bool> stalled{false};
        std::promise<void> entered;
        std::promise<void> release;
        std::shared_future<void> released;
    };
    std::shared_ptr<Shared> shared_;
    std::future<void> entered_;
};

}  // namespace

// Stepping onto a file a worker is still decoding never waits for it: nothing counts as shown
// meanwhile (a digit sends nothing), and the picture comes when the decode is done. A held key
// does not step onto it at all.
TEST(StuckDecode, TheWindowGoesOnAndShowsThePictureWhenItIsDone) {
    TempDir pics;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) pics.write(name, TestImages::Encode(6, 4, "JPG"));
    StallingDecode stall(QStringLiteral("b.jpg"));
    PosixFileSystem fs;
    SortingSession session(&fs);
    ImageView view;
    QWidget window;
    PictureLoader feed(view, window, realFileSystem(), stall.decode());
    SessionPictures pictures(session, feed);
    const QString folder = SortingSession::folderToList(pics.path());
    session.openListedFolder(folder, ImageList::listFolder(realFileSystem(), folder, false, false));
    ASSERT_TRUE(pictures.showShownFile());
    feed.prefetcher().start();
    ASSERT_TRUE(stall.enteredWithin10s());

    // A held key's repeat passes over the picture a worker still decodes; a fresh press steps.
    EXPECT_TRUE(pictures.skipsHeldStep(+1, true));
    EXPECT_FALSE(pictures.skipsHeldStep(+1, false));
    session.nextFile();
    EXPECT_FALSE(pictures.showShownFile());
    EXPECT_EQ(feed.awaiting(), pics.file("b.jpg"));
    EXPECT_FALSE(session.imageShown());
    QSignalSpy shownLate(&feed, &PictureLoader::shownLate);
    stall.release();
    ASSERT_TRUE(shownLate.wait(10000));
    EXPECT_TRUE(session.imageShown());
    EXPECT_EQ(feed.picture().size(), QSize(6, 4));
    EXPECT_TRUE(feed.awaiting().isEmpty());
}

// The end waits a bounded time for a worker, then leaves it behind with what it uses.
TEST(StuckDecode, TheEndDoesNotWaitForAWorkerThatNeverReturns) {
    TempDir pics;
    pics.write("x.jpg", TestImages::Encode(6, 4, "JPG"));
    StallingDecode stall(QStringLiteral("x.jpg"));
    const int before = Prefetcher::abandonedWorkers();
    {
        Prefetcher p(realFileSystem(), Prefetcher::kDefaultBudget, 1, stall.decode());
        p.request(pics.file("shown.jpg"), {{pics.file("x.jpg"), QSize()}}, false);
        ASSERT_TRUE(stall.enteredWithin10s());
    }
    EXPECT_EQ(Prefetcher::abandonedWorkers(), before + 1);
    // Let it end, so the test ends with no thread of its own left running.
    stall.release();
}
