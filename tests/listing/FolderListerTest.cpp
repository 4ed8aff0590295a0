// A folder listed on the worker while the window goes on with its events: the whole list comes
// back, and the window's events run meanwhile. Under ThreadSanitizer (`make tsan`) any unguarded
// access between the two threads fails it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <condition_variable>
#include <mutex>

#include "RealFileSystem.h"
#include "ui/FolderOpener.h"
#include "core/ImageList.h"
#include "ui/ResponsiveFolderLister.h"
#include "core/SortingSession.h"
#include "TestSupport.h"

TEST(ResponsiveFolderLister, ASlowListingLetsTheWindowRunAndReturnsTheWholeList) {
    TempDir dir;
    for (const char* name : {"b.jpg", "a.png", "c.txt", "10.jpg", "9.gif"}) dir.write(QString::fromLatin1(name), "x");
    std::mutex mutex;
    std::condition_variable windowRan;
    bool ran = false;
    // The listing waits for an event only the window's loop delivers: the lister must keep
    // that loop going while it waits (bounded, so a lister that does not fails, not hangs).
    ResponsiveFolderLister lister([&](const QString& folder, bool png, bool extra, bool companions) {
        std::unique_lock<std::mutex> lock(mutex);
        windowRan.wait_for(lock, std::chrono::seconds(30), [&] { return ran; });
        return ImageList::listFolder(realFileSystem(), folder, png, extra, companions);
    });
    QTimer::singleShot(0, [&] {
        std::lock_guard<std::mutex> lock(mutex);
        ran = true;
        windowRan.notify_all();
    });
    const QStringList listed = lister.list(dir.path(), true, false);
    EXPECT_TRUE(ran);
    EXPECT_EQ(listed, ImageList::listFolder(realFileSystem(), dir.path(), true, false));
    EXPECT_EQ(listed.size(), 4);
}

// The window's loop runs while a folder is listed: an open asked for meanwhile is refused, and
// work put off until the listing is done (a close) runs once the session holds the new list.
TEST(FolderOpener, NothingOpensWhileAFolderIsListedAndWaitingWorkComesAfter) {
    TempDir first, second;
    first.write("a.jpg", "x");
    second.write("b.jpg", "x");
    std::mutex mutex;
    std::condition_variable windowRan;
    bool ran = false;
    QStringList asked;
    SortingSession session(nullptr);
    FolderOpener folders(session, [&](const QString& folder, bool png, bool extra, bool companions) {
        std::unique_lock<std::mutex> lock(mutex);
        asked << folder;
        windowRan.wait_for(lock, std::chrono::seconds(30), [&] { return ran; });
        return ImageList::listFolder(realFileSystem(), folder, png, extra, companions);
    });
    QObject context;
    QStringList listWhenIdle{"not run"};
    QTimer::singleShot(0, [&] {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ran = true;
            windowRan.notify_all();
        }
        folders.openFolder(second.path());
        folders.whenIdle(&context, [&] { listWhenIdle = session.list().names(); });
    });
    folders.openFolder(first.path());
    EXPECT_EQ(asked, QStringList{SortingSession::folderToList(first.path())});
    EXPECT_EQ(session.list().names(), QStringList{"a.jpg"});
    QCoreApplication::processEvents();
    EXPECT_EQ(listWhenIdle, QStringList{"a.jpg"});
}
