// The sorting commands without a window: a viewer is stood in for by answering shownFileChanged.
#include <gtest/gtest.h>

#include <QDir>

#include "SortingSession.h"
#include "TestSupport.h"
#include "TransferQuestions.h"

namespace {

class Yes : public TransferQuestions {
public:
    bool confirmOverwrite(const FileStatus&, const FileStatus&) override { return true; }
    bool confirmDelete(const QString&) override { return true; }
};

class SortingSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"src/p1.jpg", "src/p2.jpg", "src/p3.jpg"}) work.write(name, name);
        QDir().mkpath(work.file("dst"));
        session.options().deleteMode = 1;
        session.library().appendPage(QStringLiteral("page"));
        session.library().current().folderSlots[0].folder = work.file("dst");
        // The viewer: every file decodes unless named in `undecodable`.
        QObject::connect(&session, &SortingSession::shownFileChanged, [this] {
            events << "shown";
            const QString name = session.list().shownName();
            if (name.isEmpty()) return;
            if (name == undecodable)
                session.pictureFailed();
            else
                session.pictureShown();
        });
        QObject::connect(&session, &SortingSession::resultReady, [this](const Transfer::Result& r) {
            events << (r.done() ? "done" : "refused");
        });
        session.openFolder(work.file("src"));
        events.clear();
    }

    TempDir work;
    PosixFileSystem fs;
    SortingSession session{&fs};
    Yes yes;
    QString undecodable;
    QStringList events;
};

TEST_F(SortingSessionTest, AMoveIsReportedBeforeTheFollowingFileIsShown) {
    session.sendToSlot(0, yes);
    EXPECT_TRUE(work.exists("dst/p1.jpg"));
    EXPECT_EQ(events, (QStringList{"done", "shown"}));
    EXPECT_EQ(session.list().names(), (QStringList{"p2.jpg", "p3.jpg"}));
    EXPECT_EQ(session.list().shownName(), "p2.jpg");
}

TEST_F(SortingSessionTest, NothingIsSentWhileLockedOrWhileNoPictureIsShown) {
    session.toggleLock();
    session.sendToSlot(0, yes);
    session.deleteShown(yes);
    EXPECT_TRUE(events.isEmpty());
    session.toggleLock();
    undecodable = "p2.jpg";
    session.nextFile();
    EXPECT_FALSE(session.imageShown());
    session.sendToSlot(0, yes);
    EXPECT_FALSE(work.exists("dst/p2.jpg"));
    // A file that cannot be shown can still be deleted.
    session.deleteShown(yes);
    EXPECT_FALSE(work.exists("src/p2.jpg"));
    EXPECT_EQ(session.list().shownName(), "p3.jpg");
    EXPECT_TRUE(session.imageShown());
}

TEST_F(SortingSessionTest, OpeningAFileNotInTheListShowsTheFirst) {
    session.openFile(work.file("src/p3.jpg"));
    EXPECT_EQ(session.list().position(), 3);
    session.openFile(work.file("src/P3.jpg"));
    EXPECT_EQ(session.list().position(), 1);
    session.openFile(work.file("src/p3.txt"));  // no image name: ignored
    EXPECT_EQ(session.list().position(), 1);
}

}  // namespace
