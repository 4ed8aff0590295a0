// The main window opening folders and files: the command line, a second start, the menus,
// stepping and removing entries.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <future>

#include <sys/stat.h>

#include "RealFileSystem.h"
#include "core/ImageList.h"
#include "MainWindowFixture.h"
#include "ui/OptionsDialog.h"
#include "view/PictureLoader.h"

namespace {

using OpeningFiles = MainWindowWithPictures;

// Listing on a worker: a quick folder runs nothing else of the window's meanwhile (no events
// re-enter it); a slow one (a network share, say) lets the window run its own events, passes
// over another open asked for then, and holds a close until the list is there.
TEST_F(OpeningFiles, SlowFolderKeepsTheWindowRunningAndHoldsACloseUntilListed) {
    std::atomic<int> listings{0};
    // The second listing stands for slow storage: its answer comes once the window has run
    // its own events for ten ticks (within a bound, should they never run).
    std::promise<void> storageAnswers;
    const std::shared_future<void> answered = storageAnswers.get_future().share();
    services.listFolder = [&](const QString& folder, bool png, bool extra, bool companions) {
        if (++listings == 2) answered.wait_for(std::chrono::seconds(30));
        return ImageList::listFolder(realFileSystem(), folder, png, extra, companions);
    };
    MainWindow& f = start();
    f.show();
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            f.openFolderAt(program.path());
            f.close();
        }
        if (ticks == 10) storageAnswers.set_value();
    });

    ticker.start();
    f.openFolderAt(pics.path());
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(listings.load(), 1);

    f.openFolderAt(pics.path());
    ticker.stop();
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(listings.load(), 2);  // the open asked for meanwhile was passed over
    EXPECT_EQ(f.session().list().folder(), folder());
    EXPECT_EQ(f.session().list().count(), 5);
    EXPECT_EQ(f.session().list().position(), 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));

    QCoreApplication::processEvents();  // the close held back comes now, and saves as ever
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(program.exists("config/設定_オプション.ini"));
}

TEST_F(OpeningFiles, CommandLineFolderOpensTheFirstImageAndStepsWrapAround) {
    MainWindow& f = start(pics.path());  // no final slash: it is appended before the folder test
    const ImageList& list = f.session().list();
    EXPECT_EQ(list.folder(), folder());
    EXPECT_EQ(list.names(), (QStringList{"a1.bmp", "a2.jpg", "a10.gif", "broken.jpg", "UP.JPG"}));
    EXPECT_EQ(list.position(), 1);
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(7, 5));
    EXPECT_EQ(f.statusLabel()->text(), barFor(1, 5, "a1.bmp"));
    EXPECT_EQ(f.windowTitle(), caption());
    EXPECT_TRUE(msg.shown.empty());

    f.nextFile();
    EXPECT_EQ(list.position(), 2);
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(16, 8));
    EXPECT_EQ(f.statusLabel()->text(), barFor(2, 5, "a2.jpg"));

    f.previousFile();
    f.previousFile();  // from 1 to the last
    EXPECT_EQ(list.position(), 5);
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.statusLabel()->text(), barFor(5, 5, "UP.JPG"));

    f.nextFile();  // from the last to 1
    EXPECT_EQ(list.position(), 1);
    EXPECT_EQ(f.windowTitle(), caption());
}

TEST_F(OpeningFiles, StepOntoABrokenFileShowsNothingAndTheNextStepGoesOn) {
    MainWindow& f = start(pics.path());
    f.nextFile();
    f.nextFile();
    f.session().markCopied(0);
    f.nextFile();  // broken.jpg
    EXPECT_EQ(f.session().list().position(), 4);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_FALSE(f.session().copied());
    EXPECT_TRUE(f.pictureLoader().picture().isNull());
    EXPECT_TRUE(viewIsClear());
    EXPECT_EQ(f.statusLabel()->text(), barFor(4, 5, QString()));
    f.nextFile();
    EXPECT_EQ(f.session().list().position(), 5);
    EXPECT_TRUE(f.session().imageShown());
}

TEST_F(OpeningFiles, EveryRouteHandlesADecodeFailureAsSteppingDoes) {
    pics.write("huge.jpg", TestImages::JpegClaiming(TestImages::Encode(16, 16, "JPG"), 30000, 30000));
    // Command line naming the broken file: listed, positioned, nothing shown.
    MainWindow& f = start(pics.file("broken.jpg"));
    EXPECT_EQ(f.session().list().position(), 4);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_EQ(f.statusLabel()->text(), barFor(4, 6, QString()));
    // A 30000 x 30000 picture is refused, not decoded.
    f.openFileAt(pics.file("huge.jpg"));
    EXPECT_EQ(f.session().list().position(), 5);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(f.pictureLoader().picture().isNull());
    // Removal onto a broken entry: the shown image goes, nothing else is shown.
    f.openFileAt(pics.file("a10.gif"));
    ASSERT_TRUE(f.session().imageShown());
    ASSERT_FALSE(viewIsClear());
    f.session().removeShown();  // broken.jpg takes its place
    EXPECT_EQ(f.session().list().position(), 3);
    EXPECT_EQ(f.session().list().nameAt(3), "broken.jpg");
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(viewIsClear());
}

TEST_F(OpeningFiles, CommandLineTargets) {
    {
        MainWindow& f = start(pics.file("a2.jpg"));
        EXPECT_EQ(f.session().list().position(), 2);
    }
    {
        // Blanks and double quotes are name characters: the path is used as it stands.
        QDir(pics.path()).mkdir("my \"best\" pics");
        pics.write("my \"best\" pics/in.bmp", TestImages::Encode(2, 2, "BMP"));
        MainWindow& f = start(pics.file("my \"best\" pics"));
        EXPECT_EQ(f.session().list().folder(), pics.file("my \"best\" pics/"));
        EXPECT_EQ(f.session().list().count(), 1);
    }
    for (const QString& quiet : {pics.file("UP.JPG"), pics.file("notes.txt")}) {
        // Exact-case test fails, or not an image: nothing, no message.
        MainWindow& f = start(quiet);
        EXPECT_EQ(f.session().list().count(), 0) << quiet.toStdString();
        EXPECT_EQ(f.windowTitle(), "Orvane");
        EXPECT_TRUE(msg.shown.empty());
    }
    MainWindow& f = start(pics.file("nothing-here"));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, QStringLiteral("指定のパスが見つかりません"));
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("パラメータ判定"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(f.session().list().count(), 0);
    EXPECT_EQ(f.statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
}

// A second start's path opens as the command line's would, but only once no question or
// dialog is open: a transfer waiting on the overwrite question must find its list unchanged.
TEST_F(OpeningFiles, HandedPathWaitsForAnOpenQuestionThenOpens) {
    QDir(pics.path()).mkdir("other");
    pics.write("other/o.bmp", TestImages::Encode(2, 2, "BMP"));
    MainWindow& f = start(pics.file("a2.jpg"));
    QDialog question(&f);
    question.setModal(true);
    question.show();
    f.openHandedPath(pics.file("other"));
    EXPECT_EQ(f.session().list().folder(), folder());
    EXPECT_EQ(f.session().list().position(), 2);
    QSignalSpy titled(&f, &QWidget::windowTitleChanged);
    question.hide();
    ASSERT_TRUE(titled.count() > 0 || titled.wait(5000));
    EXPECT_EQ(f.session().list().folder(), pics.file("other/"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Orvane [ ") + pics.file("other/") + QStringLiteral(" ]"));
}

TEST_F(OpeningFiles, OpenFileNotInTheListShowsTheFirstEntry) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(pics.file("y.jpg")).constData(), 0600), 0);
    QDir(pics.path()).mkdir("x.jpg");
    MainWindow& f = start();
    f.openPath(pics.file("y.jpg"));  // a pipe: never listed, never opened
    EXPECT_EQ(f.session().list().count(), 5);
    EXPECT_EQ(f.session().list().position(), 1);
    EXPECT_TRUE(f.session().imageShown());
    // A folder named like an image opens as a folder.
    f.openPath(pics.file("x.jpg"));
    EXPECT_EQ(f.session().list().folder(), pics.file("x.jpg/"));
    EXPECT_EQ(f.session().list().count(), 0);
    EXPECT_EQ(f.session().list().position(), 0);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(viewIsClear());
}

TEST_F(OpeningFiles, OpenFileMenuUsesTheFilterAndCancelChangesNothing) {
    MainWindow& f = start(pics.path());
    f.nextFile();
    auto* action = f.findChild<QAction*>("openFile");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("ファイルを開く(&O)"));
    action->trigger();  // cancelled
    ASSERT_EQ(dialogs.fileFilters.size(), 1);
    EXPECT_EQ(dialogs.fileFilters[0], QStringLiteral("イメージファイル (*.bmp *.jpg *.gif)"));
    EXPECT_EQ(f.session().list().position(), 2);

    dialogs.fileAnswers.push_back(pics.file("a10.gif"));
    action->trigger();
    EXPECT_EQ(f.session().list().position(), 3);
    EXPECT_EQ(f.statusLabel()->text(), barFor(3, 5, "a10.gif"));
}

TEST_F(OpeningFiles, OpenFolderMenu) {
    MainWindow& f = start();
    auto* action = f.findChild<QAction*>("openFolder");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("フォルダを開く(&H)"));
    dialogs.folderAnswers.push_back(std::nullopt);
    action->trigger();
    EXPECT_EQ(dialogs.folderTitles, QStringList{QStringLiteral("フォルダを選択してください")});
    EXPECT_EQ(f.session().list().folder(), QString());
    EXPECT_EQ(f.windowTitle(), "Orvane");

    dialogs.folderAnswers.push_back(pics.path());
    action->trigger();
    EXPECT_EQ(f.session().list().folder(), folder());
    EXPECT_EQ(f.statusLabel()->text(), barFor(1, 5, "a1.bmp"));
    EXPECT_EQ(f.windowTitle(), caption());

    // The menu: open file, open folder, a separator, quit.
    const QList<QAction*> items = f.menuBar()->actions().first()->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->objectName(), "openFile");
    EXPECT_EQ(items[1]->objectName(), "openFolder");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->objectName(), "quit");
}

TEST_F(OpeningFiles, RemovingEntries) {
    TempDir three;
    for (const char* n : {"1.bmp", "2.bmp", "3.bmp"}) three.write(n, TestImages::Encode(3, 3, "BMP"));
    MainWindow& f = start(three.path());
    f.previousFile();  // 3 of 3
    f.session().removeShown();
    EXPECT_EQ(f.session().list().position(), 1);
    EXPECT_EQ(f.session().list().count(), 2);
    EXPECT_TRUE(f.session().imageShown());
    f.session().removeShown();
    EXPECT_EQ(f.session().list().names(), QStringList{"2.bmp"});
    f.session().removeShown();
    EXPECT_EQ(f.session().list().position(), 0);
    EXPECT_EQ(f.session().list().count(), 0);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(f.pictureLoader().picture().isNull());
    EXPECT_TRUE(viewIsClear());
    f.updateStatusText();
    EXPECT_EQ(f.statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
    // Nothing to remove or step: nothing happens.
    f.session().removeShown();
    f.nextFile();
    EXPECT_EQ(f.session().list().position(), 0);
}

TEST_F(OpeningFiles, PngNeedsThePlugin) {
    pics.write("p.png", TestImages::Encode(6, 3, "PNG"));
    {
        MainWindow& f = start(pics.path());
        EXPECT_FALSE(f.session().pngPluginAvailable());
        EXPECT_FALSE(f.session().list().names().contains("p.png"));
        f.openFileAt(pics.file("p.png"));
        EXPECT_EQ(f.session().list().position(), 1);  // unchanged
        const std::unique_ptr<QMimeData> png = files({pics.file("p.png")});
        EXPECT_FALSE(dragAccepted(f.statusLabel(), png.get()));
        // Called directly, a png without the plug-in is a failure like any other.
        EXPECT_FALSE(f.pictureLoader().load(pics.file("p.png")));
    }
    if (!installPlugin()) GTEST_SKIP() << "dll/ifPNG.spi was not built in " ORVANE_PROGRAM_DIR;
    pics.write("Q.PNG", TestImages::Encode(5, 5, "PNG"));
    pics.write("r.png", TestImages::Encode(64, 64, "PNG").left(60));
    MainWindow& f = start(pics.file("p.png"));
    ASSERT_TRUE(f.session().pngPluginAvailable());
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(6, 3));
    EXPECT_EQ(f.statusLabel()->text(), barFor(f.session().list().position(), 8, "p.png"));
    // Capital PNG takes the plug-in route too.
    ASSERT_EQ(f.session().list().nameAt(f.session().list().position() + 1), "Q.PNG");
    f.nextFile();
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureLoader().picture().size(), QSize(5, 5));
    // A truncated PNG: nothing shown, view cleared.
    f.nextFile();
    EXPECT_EQ(f.session().list().nameAt(f.session().list().position()), "r.png");
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(viewIsClear());
    dialogs.fileAnswers.push_back(QString());
    f.findChild<QAction*>("openFile")->trigger();
    EXPECT_EQ(dialogs.fileFilters.last(), QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png)"));
}

// With the other formats off, a photo of theirs handed from outside is answered, not ignored;
// once they are on, it opens.
TEST_F(OpeningFiles, OtherFormatsFromOutsideAreToldAboutWhileOff) {
    pics.write("IMG_4501.HEIC", "heic");
    pics.write("IMG_4502.jpeg", TestImages::Encode(8, 8, "JPG"));
    const QString told = QStringLiteral("この形式の画像は表示の対象外です。設定 > オプション で対象にできます");
    MainWindow& f = start(pics.file("IMG_4501.HEIC"));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, told);
    EXPECT_EQ(f.session().list().count(), 0);
    const std::unique_ptr<QMimeData> jpeg = files({pics.file("IMG_4502.jpeg")});
    ASSERT_TRUE(dragAccepted(f.imageView(), jpeg.get()));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, jpeg.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.imageView(), &drop);
    ASSERT_EQ(msg.shown.size(), 2u);
    EXPECT_EQ(msg.shown[1].text, told);
    EXPECT_EQ(f.session().list().count(), 0);

    f.options().extraFormats = true;
    ASSERT_TRUE(dragAccepted(f.imageView(), jpeg.get()));  // a drop goes where a drag entered
    QDropEvent again(QPointF(2, 2), Qt::CopyAction, jpeg.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.imageView(), &again);
    EXPECT_EQ(msg.shown.size(), 2u);
    EXPECT_EQ(f.statusLabel()->text(), barFor(6, 7, "IMG_4502.jpeg"));
    EXPECT_TRUE(f.session().imageShown());
}

// Switching the option in the dialog lists the open folder again at once; the shown file stays
// while it is listed, and the open-file dialog offers the same endings.
TEST_F(OpeningFiles, SwitchingTheOtherFormatsListsTheFolderAgain) {
    pics.write("IMG_4502.jpeg", TestImages::Encode(8, 8, "JPG"));
    MainWindow& f = start(pics.path());
    f.previousFile();
    ASSERT_EQ(f.statusLabel()->text(), barFor(5, 5, "UP.JPG"));
    bool extra = true;
    f.runModal = [&extra](QDialog& d) {
        auto& options = dynamic_cast<OptionsDialog&>(d);
        options.optionPageChosen(QStringLiteral("interface"));
        options.findChild<QCheckBox*>(QStringLiteral("extraFormats"))->setChecked(extra);
        options.okClicked();
    };
    auto* editOptions = f.findChild<QAction*>("editOptions");
    editOptions->trigger();
    EXPECT_EQ(f.statusLabel()->text(), barFor(6, 6, "UP.JPG"));
    dialogs.fileAnswers.push_back(pics.file("IMG_4502.jpeg"));
    f.findChild<QAction*>("openFile")->trigger();
    EXPECT_TRUE(dialogs.fileFilters.last().contains(QStringLiteral(" *.heic *.HEIC ")));
    EXPECT_EQ(f.statusLabel()->text(), barFor(5, 6, "IMG_4502.jpeg"));

    // Off again: the shown file is no longer listed, so the first one is shown.
    extra = false;
    editOptions->trigger();
    EXPECT_EQ(f.statusLabel()->text(), barFor(1, 5, "a1.bmp"));
    EXPECT_TRUE(f.session().imageShown());
}

}  // namespace
