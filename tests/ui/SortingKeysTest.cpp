// The sorting keys driven through real key events on the real main window, with the real file
// system behind a fault-injecting fake and message boxes answered by a script. What a transfer
// plans and does is tested in the core; here: keys, the list, the view and the boxes shown.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "view/ImageView.h"
#include "FakeFileSystem.h"
#include "FakePickers.h"
#include "ui/MainWindow.h"
#include "view/Prefetcher.h"
#include "ui/StatusText.h"
#include "WorkingDirectoryGuard.h"
#include "PictureSettled.h"
#include "TestSupport.h"

namespace {


class Sorting : public ::testing::Test {
protected:
    WorkingDirectoryGuard workingDirectory;  // first: undone last
    void SetUp() override {
        // Trash goes into the test's own folder, never the user's.
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(work.file("data")));
        services.msgBox = &msg;
        services.fileSystem = &fs;
        services.pictureFileSystem = &real;  // the view reads from its workers: the faults are the transfer's
        services.pickers = &dialogs;
        QDir().mkpath(work.file("src"));
        for (const char* slot : {"s0", "s1", "s2", "s3", "s4"}) QDir().mkpath(work.file(slot));
    }
    void TearDown() override {
        window.reset();
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    // A small real JPEG whose bytes tell it apart from the others.
    void Photo(const QString& name, int shade = 0) {
        QImage img(8 + shade % 5, 6, QImage::Format_RGB32);
        img.fill(QColor(shade * 20 % 256, 100, 50));
        ASSERT_TRUE(img.save(work.file(name), "JPG"));
    }
    // Starts the window on the src folder with slots 0..4 pointing at s0..s4.
    void Start(int files = 3) {
        for (int i = 1; i <= files; ++i) Photo(QStringLiteral("src/p%1.jpg").arg(i), i);
        window = std::make_unique<MainWindow>(services, program.path(), QString());
        window->startUp();
        window->options().deleteMode = DeleteMode::Directly;
        for (int s = 0; s < 5; ++s) {
            window->library().page(0).folderSlots[s].title = QStringLiteral("Slot%1").arg(s);
            window->library().page(0).folderSlots[s].folder = work.file(QStringLiteral("s%1").arg(s));
        }
        window->openFolderAt(work.file("src"));
        window->updateStatusText();
        ASSERT_EQ(window->session().list().count(), files);
        ASSERT_TRUE(window->session().imageShown());
    }
    QWidget* Target() { return window->imageView(); }
    void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyPress(Target(), key, mods); }
    void Release(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyRelease(Target(), key, mods); }
    void Tap(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Press(key, mods);
        Release(key, mods);
    }
    void Repeat(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(Target(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(Target(), &release);
    }
    QStringList Files(const char* folder) const {
        return QDir(work.file(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString Shown() const { return window->session().list().nameAt(window->session().list().position()); }

    TempDir program;
    TempDir work;
    FakeMsgBox msg;
    PosixFileSystem real;
    FakeFileSystem fs{real};
    FakePickers dialogs;
    Services services;
    std::unique_ptr<MainWindow> window;
    QByteArray savedDataHome;
};

TEST_F(Sorting, DigitMovesOnReleaseAndTheNextFileTakesThePlace) {
    Start(3);
    Tap(Qt::Key_Space);
    ASSERT_EQ(Shown(), QStringLiteral("p2.jpg"));
    Press(Qt::Key_3);
    EXPECT_EQ(Files("s3"), QStringList());  // nothing happens until the key is released
    Release(Qt::Key_3);
    EXPECT_EQ(Files("s3"), QStringList{"p2.jpg"});
    EXPECT_EQ(Files("src"), (QStringList{"p1.jpg", "p3.jpg"}));
    EXPECT_EQ(window->session().list().position(), 2);
    EXPECT_EQ(Shown(), QStringLiteral("p3.jpg"));
    EXPECT_TRUE(window->statusLabel()->text().startsWith(QStringLiteral("[移動] 2/2 p3.jpg ")));
    // Moving the last entry wraps to the first; moving the only one empties the view.
    Tap(Qt::Key_3);
    EXPECT_EQ(Shown(), QStringLiteral("p1.jpg"));
    Tap(Qt::Key_3);
    EXPECT_EQ(Files("s3"), (QStringList{"p1.jpg", "p2.jpg", "p3.jpg"}));
    EXPECT_EQ(window->statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
    EXPECT_FALSE(window->session().imageShown());
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Sorting, HeldDigitTransfersOnceAndHeldSpaceStepsOnEveryRepeat) {
    Start(4);
    Press(Qt::Key_1);
    for (int i = 0; i < 5; ++i) Repeat(Qt::Key_1);
    Release(Qt::Key_1);
    EXPECT_EQ(Files("s1"), QStringList{"p1.jpg"});
    EXPECT_EQ(Files("src").size(), 3);

    // A repeat whose picture is still being decoded ahead is passed over; here each one
    // comes after the decoding caught up, so each one steps.
    Press(Qt::Key_Space);
    ASSERT_TRUE(window->prefetcher().waitIdle(10000));
    Repeat(Qt::Key_Space);
    ASSERT_TRUE(window->prefetcher().waitIdle(10000));
    Repeat(Qt::Key_Space);
    Release(Qt::Key_Space);
    EXPECT_EQ(window->session().list().position(), 1);  // 1 -> 2 -> 3 -> 1 around three files
}

// On screen, a picture not decoded ahead comes from a worker: digits typed before it is there
// act on it once it is, in the order typed, and a step typed after them waits its turn.
TEST_F(Sorting, KeysTypedWhileThePictureIsDecodedActInOrderOnceItIsShown) {
    Start(4);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->prefetcher().clear();
    window->openFolderAt(work.file("src"));
    ASSERT_FALSE(window->pictureLoader().awaiting().isEmpty());
    Tap(Qt::Key_1);
    Tap(Qt::Key_2);
    Tap(Qt::Key_Space);
    EXPECT_EQ(Files("s1"), QStringList());
    for (int i = 0; i < 4 && !window->pictureLoader().awaiting().isEmpty(); ++i)
        ASSERT_TRUE(pictureSettled(window->pictureLoader()));
    EXPECT_EQ(Files("s1"), QStringList{"p1.jpg"});
    EXPECT_EQ(Files("s2"), QStringList{"p2.jpg"});
    EXPECT_EQ(Shown(), QStringLiteral("p4.jpg"));
}

TEST_F(Sorting, TheModifiersAtReleaseDecideCtrlDigit) {
    Start(2);
    // Ctrl let go before the digit: a plain transfer.
    Press(Qt::Key_Control, Qt::ControlModifier);
    Press(Qt::Key_2, Qt::ControlModifier);
    Release(Qt::Key_Control);
    Release(Qt::Key_2);
    EXPECT_EQ(Files("s2"), QStringList{"p1.jpg"});
    // Ctrl held through the release: the slot's folder becomes the list.
    Tap(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(window->session().list().folder(), work.file("s2") + QLatin1Char('/'));
    EXPECT_EQ(Shown(), QStringLiteral("p1.jpg"));
    // Shift, Alt and Ctrl+Shift with a digit do nothing.
    for (auto mods : {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::AltModifier),
                      Qt::ControlModifier | Qt::ShiftModifier})
        Tap(Qt::Key_4, mods);
    EXPECT_EQ(Files("s4"), QStringList());
}

// Ctrl+Z takes back one action per press, on release (whichever key comes up first), held or
// not, locked never; a failure is told and the menu item does the same.
TEST_F(Sorting, CtrlZUndoesOnceOnReleaseAndTellsWhatStandsInTheWay) {
    Start(3);
    Tap(Qt::Key_1);
    Tap(Qt::Key_2);
    ASSERT_EQ(Files("src"), QStringList{"p3.jpg"});
    Press(Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QString(), true);
        QApplication::sendEvent(Target(), &repeat);
    }
    EXPECT_EQ(Files("src"), QStringList{"p3.jpg"});
    Release(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Files("src"), (QStringList{"p2.jpg", "p3.jpg"}));
    EXPECT_EQ(Shown(), QStringLiteral("p2.jpg"));
    Tap(Qt::Key_Z);
    Tap(Qt::Key_L);
    Tap(Qt::Key_Z, Qt::ControlModifier);
    Tap(Qt::Key_L);
    EXPECT_EQ(Files("s1"), QStringList{"p1.jpg"});
    // Ctrl let go before Z: still the Ctrl+Z that was pressed.
    Press(Qt::Key_Z, Qt::ControlModifier);
    Release(Qt::Key_Z);
    EXPECT_EQ(Files("s1"), QStringList());
    Tap(Qt::Key_1);
    ASSERT_EQ(Files("s1"), QStringList{"p1.jpg"});
    work.write("src/p1.jpg", "taken");
    Tap(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(msg.texts().size(), 1);
    ASSERT_TRUE(msg.texts()[0].startsWith(QStringLiteral("元の場所に同じ名前のファイルがあるため元に戻せません\n") +
                                          work.file("src/p1.jpg") + QStringLiteral("\n")));
    ASSERT_TRUE(QFile::remove(work.file("src/p1.jpg")));
    window->findChild<QAction*>(QStringLiteral("undo"))->trigger();
    EXPECT_EQ(Files("s1"), QStringList());
    EXPECT_EQ(Shown(), QStringLiteral("p1.jpg"));
}

// After Ctrl+Z the status bar says what came back and where, for three seconds, then the usual
// text again; the next action ends the note at once.
TEST_F(Sorting, AnUndoSaysWhatCameBackAndWhereForAWhile) {
    Start(3);
    Tap(Qt::Key_1);
    const QString usual = window->statusLabel()->text();
    Tap(Qt::Key_2);
    Tap(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->statusLabel()->text(),
              QStringLiteral("元に戻しました: p2.jpg → ") + shortenedFolder(work.file("src")));
    QTimer* timer = window->statusNoteTimer();
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_EQ(timer->interval(), 3000);
    QSignalSpy ended(timer, &QTimer::timeout);
    timer->start(0);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(window->statusLabel()->text(), usual);

    Tap(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(window->statusLabel()->text().startsWith(QStringLiteral("元に戻しました: p1.jpg → ")));
    Tap(Qt::Key_3);
    EXPECT_TRUE(window->statusLabel()->text().startsWith(QStringLiteral("[移動] "))) << window->statusLabel()->text().toStdString();
    EXPECT_FALSE(timer->isActive());
}

TEST_F(Sorting, AReleaseWithoutItsPressDoesNothing) {
    Start(2);
    Release(Qt::Key_1);
    Release(Qt::Key_Delete);
    EXPECT_EQ(Files("src").size(), 2);
}

TEST_F(Sorting, LockBlocksDigitsAndDeleteButNotCtrlDigitOrStepping) {
    Start(3);
    Tap(Qt::Key_L);
    EXPECT_TRUE(window->statusLabel()->text().endsWith(QStringLiteral(" < 転送・削除ロック > ")));
    Tap(Qt::Key_1);
    Tap(Qt::Key_Delete);
    EXPECT_EQ(Files("src").size(), 3);
    Tap(Qt::Key_Space);
    EXPECT_EQ(window->session().list().position(), 2);
    Photo("s4/other.jpg");
    Tap(Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(Shown(), QStringLiteral("other.jpg"));
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Sorting, CopyModeMarksTheCopyAndRefusesTheSameSlotUntilCleared) {
    Start(2);
    Tap(Qt::Key_C);
    Tap(Qt::Key_3);
    EXPECT_EQ(Files("s3"), QStringList{"p1.jpg"});
    EXPECT_EQ(Files("src").size(), 2);
    EXPECT_TRUE(window->statusLabel()->text().startsWith(QStringLiteral("[コピー] 1/2 p1.jpg")));
    EXPECT_TRUE(window->statusLabel()->text().endsWith(QStringLiteral("< Slot3 へコピー済>")));
    Tap(Qt::Key_3);  // the second press does nothing: no question, no numbered copy
    window->options().collisionMode = CollisionMode::Number;
    Tap(Qt::Key_3);
    EXPECT_EQ(Files("s3"), QStringList{"p1.jpg"});
    Tap(Qt::Key_4);
    EXPECT_EQ(Files("s4"), QStringList{"p1.jpg"});
    EXPECT_TRUE(window->statusLabel()->text().endsWith(QStringLiteral("< Slot4 へコピー済>")));
    // Stepping away and back clears the mark; slot 3 then meets the collision rule.
    Tap(Qt::Key_Space);
    Tap(Qt::Key_Space);
    Tap(Qt::Key_3);
    EXPECT_EQ(Files("s3"), (QStringList{"p1.jpg", "p1_001.jpg"}));
    // M clears the mark too; C does not.
    Tap(Qt::Key_M);
    EXPECT_FALSE(window->statusLabel()->text().contains(QStringLiteral("コピー済")));
    EXPECT_TRUE(window->statusLabel()->text().startsWith(QStringLiteral("[移動]")));
    EXPECT_TRUE(msg.shown.empty());
}

TEST_F(Sorting, OverwriteQuestionYesReplacesNoKeepsBoth) {
    Start(2);
    Photo("s1/p1.jpg", 9);
    const QByteArray oldBytes = work.read("s1/p1.jpg");
    const QByteArray newBytes = work.read("src/p1.jpg");
    msg.answers = {MsgAnswer::No};
    Tap(Qt::Key_1);
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("上書き確認"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(msg.shown[0].defaultAnswer, MsgAnswer::Yes);
    EXPECT_TRUE(msg.shown[0].text.startsWith(QStringLiteral("同ファイル名が存在。上書き？\n転送元 ")));
    EXPECT_EQ(work.read("s1/p1.jpg"), oldBytes);
    EXPECT_EQ(Files("src").size(), 2);
    msg.answers = {MsgAnswer::Yes};
    Tap(Qt::Key_1);
    EXPECT_EQ(work.read("s1/p1.jpg"), newBytes);
    EXPECT_EQ(Files("src"), QStringList{"p2.jpg"});
    EXPECT_EQ(Files("s1"), QStringList{"p1.jpg"});
}

TEST_F(Sorting, AFailedMoveIsReportedAndTheListAndViewStay) {
    Start(2);
    fs.failKinds = {FakeFileSystem::Call::RenameNoReplace};
    fs.failErrno = EACCES;
    Tap(Qt::Key_1);
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_TRUE(msg.shown[0].text.startsWith(QStringLiteral("ファイルを転送できませんでした\n")));
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("Orvane"));
    EXPECT_EQ(Files("src"), (QStringList{"p1.jpg", "p2.jpg"}));
    EXPECT_EQ(Files("s1"), QStringList());
    EXPECT_EQ(window->session().list().count(), 2);
    EXPECT_EQ(Shown(), QStringLiteral("p1.jpg"));
}

// The press's own look at the photo serves the move's checks: one stat before the rename.
TEST_F(Sorting, ADigitPressLooksAtThePhotoOnce) {
    Start(2);
    const QString p1 = work.file("src/p1.jpg");
    fs.calls.clear();
    Tap(Qt::Key_1);
    ASSERT_EQ(Files("s1"), QStringList{"p1.jpg"});
    int looks = 0;
    for (const auto& c : fs.calls) looks += (c.call == FakeFileSystem::Call::Stat && c.path == p1);
    EXPECT_EQ(looks, 1);
}

TEST_F(Sorting, DeleteAsksWhenToldAndCancelIsTheDefault) {
    Start(3);
    window->options().confirmDelete = true;
    Tap(Qt::Key_Delete);  // the script is empty: the default button answers
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, work.file("src/p1.jpg") + QStringLiteral("を削除しますか？"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(msg.shown[0].defaultAnswer, MsgAnswer::Cancel);
    EXPECT_EQ(Files("src").size(), 3);
    msg.answers = {MsgAnswer::Ok};
    Tap(Qt::Key_Delete);
    EXPECT_EQ(Files("src"), (QStringList{"p2.jpg", "p3.jpg"}));
    EXPECT_EQ(Shown(), QStringLiteral("p2.jpg"));
    // A delete that fails leaves the file listed and shown.
    window->options().confirmDelete = false;
    fs.failKinds = {FakeFileSystem::Call::Unlink};
    Tap(Qt::Key_Delete);
    EXPECT_TRUE(msg.texts().last().startsWith(QStringLiteral("ファイルを削除できませんでした")));
    EXPECT_EQ(window->session().list().count(), 2);
    EXPECT_EQ(Files("src"), (QStringList{"p2.jpg", "p3.jpg"}));
}

TEST_F(Sorting, PageKeysWrapAndMoveTheOverviewRow) {
    Start(1);
    for (int i = 1; i < 20; ++i) window->library().appendPage(QStringLiteral("P%1").arg(i));
    window->library().page(0).name = QStringLiteral("P0");
    for (int i = 0; i < 10; ++i) Tap(Qt::Key_Down);
    EXPECT_EQ(window->library().currentPage(), 10);
    EXPECT_EQ(window->session().overviewRow(), 7);
    Tap(Qt::Key_Minus);
    EXPECT_EQ(window->session().overviewRow(), 6);
    window->library().selectPage(19);
    Tap(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(window->library().currentPage(), 0);
    Tap(Qt::Key_Up);
    EXPECT_EQ(window->library().currentPage(), 19);
    EXPECT_TRUE(window->overviewPanel()->toPlainText().contains(QStringLiteral("\uFF1EP19")));
    Tap(Qt::Key_Equal);  // the plus key without Shift does nothing
    EXPECT_EQ(window->library().currentPage(), 19);
}

}  // namespace
