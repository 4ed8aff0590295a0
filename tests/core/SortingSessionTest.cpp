// The sorting commands without a window: a viewer is stood in for by answering shownFileChanged.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>

#include "RealFileSystem.h"
#include "core/SortingSession.h"
#include "TestSupport.h"
#include "core/TransferMessages.h"
#include "core/TransferQuestions.h"
#include "core/Undo.h"
#include "WorkingDirectoryGuard.h"

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
        session.options().deleteMode = DeleteMode::Directly;
        session.library().appendPage(QStringLiteral("page"));
        session.library().current().folderSlots[0].folder = work.file("dst");
        // The viewer: every file decodes unless named in `undecodable`.
        QObject::connect(&session, &SortingSession::shownFileChanged, [this] {
            events << "shown";
            const QString name = session.list().shownName();
            if (name.isEmpty()) return;
            if (name == undecodable)
                session.pictureFailed(session.list().shownPath());
            else
                session.pictureShown(session.list().shownPath());
        });
        QObject::connect(&session, &SortingSession::resultReady, [this](const Transfer::Result& r) {
            events << (r.done() ? "done" : "refused");
        });
        openFolder(work.file("src"));
        events.clear();
    }

    TempDir work;
    // Opening as the window does, the folder listed first and the names handed over.
    QStringList listed(const QString& folder) const {
        return ImageList::listFolder(realFileSystem(), folder, session.pngPluginAvailable(), session.options().extraFormats,
                                     session.options().companions);
    }
    void openFolder(const QString& path) {
        const QString folder = SortingSession::folderToList(path);
        if (!folder.isEmpty()) session.openListedFolder(folder, listed(folder));
    }
    void openFile(const QString& path) {
        const QString folder = session.folderToListFor(path);
        if (!folder.isEmpty()) session.openListedFolder(folder, listed(folder), path);
    }
    void openSlotFolder(int slot) { openFolder(session.slotFolder(slot)); }
    void relist() { session.takeRelisted(listed(session.list().folder())); }

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

// The viewer answers late: only the answer for the file shown now makes a digit send it.
TEST_F(SortingSessionTest, ALateAnswerForAFileLeftBehindCountsForNothing) {
    undecodable = "p2.jpg";  // stands for a picture whose decode is not done yet
    session.nextFile();
    session.pictureShown(session.list().pathAt(1));
    session.sendToSlot(0, yes);
    EXPECT_FALSE(work.exists("dst/p2.jpg"));
    session.pictureShown(session.list().shownPath());
    session.sendToSlot(0, yes);
    EXPECT_TRUE(work.exists("dst/p2.jpg"));
}

TEST_F(SortingSessionTest, OpeningAFileNotInTheListShowsTheFirst) {
    openFile(work.file("src/p3.jpg"));
    EXPECT_EQ(session.list().position(), 3);
    openFile(work.file("src/P3.jpg"));
    EXPECT_EQ(session.list().position(), 1);
    openFile(work.file("src/p3.txt"));  // no image name: ignored
    EXPECT_EQ(session.list().position(), 1);
}

// --- undo --------------------------------------------------------------------------------

// The trash of this process in a home of its own: GLib reads XDG_DATA_HOME once, before any test.
class TrashHome : public ::testing::Environment {
public:
    void SetUp() override { qputenv("XDG_DATA_HOME", QFile::encodeName(home.path())); }
    QTemporaryDir home;
};
[[maybe_unused]] ::testing::Environment* const kTrashHome = ::testing::AddGlobalTestEnvironment(new TrashHome);

class SessionUndoTest : public SortingSessionTest {
protected:
    void SetUp() override {
        SortingSessionTest::SetUp();
        QDir().mkpath(work.file("trip"));
        Slot& trip = session.library().current().folderSlots[1];
        trip.folder = work.file("trip");
        trip.renaming = Renaming::On;
        trip.fixedName = "trip";
        trip.nextNumber = 41;
        session.options().continueNumbers = true;
        QObject::connect(&session, &SortingSession::undoReady, [this](const Transfer::UndoResult& u) {
            undone.push_back(u.status);
            setAside.push_back(u.setAside);
        });
    }
    // Names and bytes of every file under the work folder.
    std::map<QString, QByteArray> Disk() const {
        std::map<QString, QByteArray> out;
        for (const char* folder : {"src", "dst", "trip"})
            for (const QString& n : QDir(work.file(folder)).entryList(QDir::Files | QDir::Hidden))
                out[QString(folder) + "/" + n] = work.read(QString(folder) + "/" + n);
        return out;
    }
    std::vector<Transfer::UndoResult::Status> undone;
    std::vector<bool> setAside;
};

TEST_F(SessionUndoTest, EachUndoTakesBackOneActionAndTheListFollows) {
    session.options().deleteMode = DeleteMode::ToTrash;
    const auto before = Disk();
    session.sendToSlot(1, yes);  // p1 -> trip_041.jpg
    session.setCopyMode();
    session.sendToSlot(0, yes);  // p2 copied
    ASSERT_TRUE(session.copied());
    session.setMoveMode();
    session.deleteShown(yes);    // p2 to the trash
    ASSERT_EQ(session.list().names(), QStringList{"p3.jpg"});
    EXPECT_EQ(session.library().current().folderSlots[1].nextNumber, 42);

    session.undoLast();
    EXPECT_EQ(session.list().names(), (QStringList{"p2.jpg", "p3.jpg"}));
    EXPECT_EQ(session.list().shownName(), "p2.jpg");
    session.setCopyMode();
    session.markCopied(0);
    session.undoLast();  // the copy goes, and its mark
    EXPECT_FALSE(work.exists("dst/p2.jpg"));
    EXPECT_FALSE(session.copied());
    session.nextPage();  // any page
    session.undoLast();
    EXPECT_EQ(session.list().names(), (QStringList{"p1.jpg", "p2.jpg", "p3.jpg"}));
    EXPECT_EQ(session.list().shownName(), "p1.jpg");
    EXPECT_EQ(session.library().page(0).folderSlots[1].nextNumber, 41);
    EXPECT_EQ(Disk(), before);
    session.undoLast();  // nothing left
    EXPECT_EQ(undone.size(), 3u);
}

// A direct delete cannot come back: said once, set aside at the second press, and the move
// before it can be taken back.
TEST_F(SessionUndoTest, LockBlocksUndoAndADirectDeleteIsSetAsideAtTheSecondPress) {
    session.sendToSlot(0, yes);
    session.deleteShown(yes);  // p2, directly
    session.toggleLock();
    session.undoLast();
    EXPECT_TRUE(undone.empty());
    session.toggleLock();
    session.undoLast();
    session.undoLast();
    using S = Transfer::UndoResult::Status;
    EXPECT_EQ(undone, (std::vector<S>{S::DeletedForGood, S::DeletedForGood}));
    EXPECT_EQ(setAside, (std::vector<bool>{false, true}));
    EXPECT_TRUE(work.exists("dst/p1.jpg"));
    session.undoLast();
    EXPECT_TRUE(work.exists("src/p1.jpg"));
}

// The folder a photo came from is gone: the undo says so, and never stands in front of the
// actions before it.
TEST_F(SessionUndoTest, AFolderOfOriginThatIsGoneNeverBlocksEarlierActions) {
    session.sendToSlot(0, yes);  // p1
    work.write("gone/q.jpg", "q");
    openFolder(work.file("gone"));
    session.sendToSlot(0, yes);  // q
    ASSERT_TRUE(QDir(work.file("gone")).removeRecursively());
    session.undoLast();
    session.undoLast();
    session.undoLast();
    using S = Transfer::UndoResult::Status;
    EXPECT_EQ(undone, (std::vector<S>{S::OriginFolderMissing, S::OriginFolderMissing, S::Done}));
    EXPECT_EQ(setAside, (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(work.exists("src/p1.jpg"));
    EXPECT_TRUE(work.exists("dst/q.jpg"));
}

// A slot's folder written relative with "./": the file taken back leaves the shown slot folder's
// list all the same.
TEST_F(SessionUndoTest, ARelativeSlotFolderLeavesTheListRightAfterUndo) {
    WorkingDirectoryGuard cwd;
    QDir::setCurrent(work.path());
    session.library().current().folderSlots[0].folder = QStringLiteral("./dst/");
    session.sendToSlot(0, yes);
    openSlotFolder(0);
    ASSERT_EQ(session.list().names(), QStringList{"p1.jpg"});
    session.undoLast();
    EXPECT_TRUE(work.exists("src/p1.jpg"));
    EXPECT_TRUE(session.list().names().isEmpty());
}

// With the slot's folder shown, the file taken back leaves its list; p1 goes home.
TEST_F(SessionUndoTest, AFileTakenBackLeavesTheShownSlotFolder) {
    session.sendToSlot(0, yes);
    work.write("dst/p0.jpg", "p0");
    openSlotFolder(0);
    session.nextFile();
    ASSERT_EQ(session.list().shownName(), "p1.jpg");
    session.undoLast();
    EXPECT_EQ(session.list().names(), QStringList{"p0.jpg"});
    EXPECT_EQ(session.list().shownName(), "p0.jpg");
    EXPECT_TRUE(work.exists("src/p1.jpg"));
}

// The other formats' files, once the option lists them, sort as any other: numbered beside a
// file of the same name, renamed, trashed and taken back, each keeping its ending.
TEST_F(SessionUndoTest, OtherFormatsSortAndComeBackWithTheirEndings) {
    work.write("src/IMG_4501.HEIC", "heic");
    work.write("src/IMG_4502.jpeg", "jpeg");
    work.write("dst/IMG_4501.HEIC", "older");
    openFile(work.file("src/IMG_4502.jpeg"));  // left out while the option is off
    EXPECT_EQ(session.list().names(), (QStringList{"p1.jpg", "p2.jpg", "p3.jpg"}));
    session.options().extraFormats = true;
    session.options().collisionMode = CollisionMode::Number;
    session.options().deleteMode = DeleteMode::ToTrash;
    relist();
    EXPECT_EQ(session.list().names(),
              (QStringList{"IMG_4501.HEIC", "IMG_4502.jpeg", "p1.jpg", "p2.jpg", "p3.jpg"}));
    EXPECT_EQ(session.list().shownName(), "p1.jpg");
    EXPECT_FALSE(events.contains("shown"));  // the picture on screen stays

    const auto before = Disk();
    openFile(work.file("src/IMG_4501.HEIC"));
    session.sendToSlot(0, yes);
    EXPECT_EQ(work.read("dst/IMG_4501_001.HEIC"), "heic");
    ASSERT_EQ(session.list().shownName(), "IMG_4502.jpeg");
    session.sendToSlot(1, yes);
    EXPECT_EQ(work.read("trip/trip_041.jpeg"), "jpeg");
    session.deleteShown(yes);
    for (int i = 0; i < 3; ++i) session.undoLast();
    EXPECT_EQ(Disk(), before);
    EXPECT_EQ(session.list().count(), 5);
}

}  // namespace

namespace {

class CountingDeletes : public Yes {
public:
    QStringList asked;
    bool confirmGroupDelete(const QString& path, int companions) override {
        asked << Transfer::groupDeleteQuestion(FsPath::nameOf(path), companions);
        return true;
    }
};

TEST_F(SortingSessionTest, CompanionsLeaveTheListAndComeBackWithTheShownFile) {
    work.write("src/P1.cr2", "raw");
    work.write("src/p1.jpg.xmp", "sidecar");
    work.write("src/p2.xmp", "another picture's");
    session.options().companions = true;
    session.options().extraFormats = true;
    relist();
    ASSERT_TRUE(session.list().names().contains("P1.cr2"));
    session.sendToSlot(0, yes);
    EXPECT_TRUE(work.exists("dst/p1.jpg") && work.exists("dst/P1.cr2") && work.exists("dst/p1.jpg.xmp"));
    EXPECT_EQ(session.list().names(), (QStringList{"p2.jpg", "p3.jpg"}));

    session.undoLast();
    EXPECT_TRUE(work.exists("src/p1.jpg") && work.exists("src/P1.cr2") && work.exists("src/p1.jpg.xmp"));
    EXPECT_EQ(session.list().count(), 4);
    EXPECT_EQ(session.list().shownName(), "p1.jpg");

    CountingDeletes questions;
    session.options().confirmDelete = true;
    session.deleteShown(questions);
    EXPECT_EQ(questions.asked, (QStringList{"p1.jpg (付属 2 件) を削除しますか？"}));
    EXPECT_FALSE(work.exists("src/P1.cr2") || work.exists("src/p1.jpg.xmp"));
    EXPECT_TRUE(work.exists("src/p2.xmp"));
    EXPECT_EQ(session.list().names(), (QStringList{"p2.jpg", "p3.jpg"}));
}

}  // namespace
