// The main window opening folders and files, stepping, removing, drops and the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>

#include <sys/stat.h>

#include "ImageView.h"
#include "FakePickers.h"
#include "ImageList.h"
#include "MainWindow.h"
#include "PictureFeed.h"
#include "TestImages.h"
#include "WorkingDirectoryGuard.h"
#include "TestSupport.h"
#include "ViewGeometry.h"

namespace {

const QColor kBackground(255, 224, 192);

class MainWindowFiles : public ::testing::Test {
protected:
    WorkingDirectoryGuard workingDirectory;  // first: undone last
    void SetUp() override {
        services.msgBox = &msg;
        services.pickers = &dialogs;
        // Listed order: a1.bmp, a2.jpg, a10.gif, broken.jpg, UP.JPG.
        pics.write("a1.bmp", TestImages::Encode(7, 5, "BMP"));
        pics.write("a2.jpg", TestImages::Encode(16, 8, "JPG"));
        pics.write("a10.gif", TestImages::Gif1x1());
        pics.write("broken.jpg", "this is no picture");
        pics.write("UP.JPG", TestImages::Encode(4, 4, "JPG"));
        pics.write("notes.txt", "text");
    }
    void TearDown() override {
        form.reset();
    }

    MainWindow& Start(const QString& commandLine = QString()) {
        form = std::make_unique<MainWindow>(services, program.path(), commandLine);
        form->startUp();
        return *form;
    }
    // The plug-in as the build made it, placed where start-up looks for it.
    bool InstallPlugin() {
        const QString built = QStringLiteral(ORVANE_PROGRAM_DIR) + "/dll/ifPNG.spi";
        if (!QFileInfo::exists(built)) return false;
        QDir(program.path()).mkpath("dll");
        return QFile::copy(built, program.file("dll/ifPNG.spi"));
    }
    QString Folder() const { return pics.path() + '/'; }
    QString BarFor(int index, int count, const QString& name) const {
        QString text = QStringLiteral("[移動] %1/%2 ").arg(index).arg(count);
        if (!name.isEmpty())
            text += name + QStringLiteral("  %1B").arg(QFileInfo(pics.file(name)).size());
        return text;
    }
    QString Caption() const { return QStringLiteral("Orvane [ ") + Folder() + QStringLiteral(" ]"); }
    // True when every pixel of the view's backing pixmap is the background colour.
    bool ViewIsClear() const {
        const QImage img = form->imageView()->backing().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) != kBackground) return false;
        return true;
    }
    QColor ViewPixel(int x, int y) const {
        return form->imageView()->backing().toImage().pixelColor(x, y);
    }

    TempDir program;
    TempDir pics;
    FakeMsgBox msg;
    FakePickers dialogs;
    Services services;
    std::unique_ptr<MainWindow> form;
};

// Listing on a worker: a quick folder runs nothing else of the window's meanwhile (no events
// re-enter it); a slow one (a network share, say) lets the window run its own events, passes
// over another open asked for then, and holds a close until the list is there.
TEST_F(MainWindowFiles, SlowFolderKeepsTheWindowRunningAndHoldsACloseUntilListed) {
    std::atomic<int> listings{0};
    std::atomic<int> delayMs{0};
    services.listFolder = [&](const QString& folder, bool png) {
        ++listings;
        QThread::msleep(delayMs.load());
        return ImageList::listFolder(folder, png);
    };
    MainWindow& f = Start();
    f.show();
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            f.openFolderAt(program.path());
            f.close();
        }
    });

    ticker.start();
    f.openFolderAt(pics.path());
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(listings.load(), 1);

    delayMs = 700;
    f.openFolderAt(pics.path());
    ticker.stop();
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(listings.load(), 2);  // the open asked for meanwhile was passed over
    EXPECT_EQ(f.session().list().folder(), Folder());
    EXPECT_EQ(f.session().list().count(), 5);
    EXPECT_EQ(f.session().list().position(), 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(program.exists("config/設定_オプション.ini"));

    QCoreApplication::processEvents();  // the close held back comes now, and saves as ever
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(program.exists("config/設定_オプション.ini"));
}

TEST_F(MainWindowFiles, CommandLineFolderOpensTheFirstImageAndStepsWrapAround) {
    MainWindow& f = Start(pics.path());  // no final slash: it is appended before the folder test
    const ImageList& list = f.session().list();
    EXPECT_EQ(list.folder(), Folder());
    EXPECT_EQ(list.names(), (QStringList{"a1.bmp", "a2.jpg", "a10.gif", "broken.jpg", "UP.JPG"}));
    EXPECT_EQ(list.position(), 1);
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureFeed().picture().size(), QSize(7, 5));
    EXPECT_EQ(f.statusLabel()->text(), BarFor(1, 5, "a1.bmp"));
    EXPECT_EQ(f.windowTitle(), Caption());
    EXPECT_TRUE(msg.shown.empty());

    f.nextFile();
    EXPECT_EQ(list.position(), 2);
    EXPECT_EQ(f.pictureFeed().picture().size(), QSize(16, 8));
    EXPECT_EQ(f.statusLabel()->text(), BarFor(2, 5, "a2.jpg"));

    f.previousFile();
    f.previousFile();  // from 1 to the last
    EXPECT_EQ(list.position(), 5);
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.statusLabel()->text(), BarFor(5, 5, "UP.JPG"));

    f.nextFile();  // from the last to 1
    EXPECT_EQ(list.position(), 1);
    EXPECT_EQ(f.windowTitle(), Caption());
}

TEST_F(MainWindowFiles, StepOntoABrokenFileShowsNothingAndTheNextStepGoesOn) {
    MainWindow& f = Start(pics.path());
    f.nextFile();
    f.nextFile();
    f.session().markCopied(0);
    f.nextFile();  // broken.jpg
    EXPECT_EQ(f.session().list().position(), 4);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_FALSE(f.session().copied());
    EXPECT_TRUE(f.pictureFeed().picture().isNull());
    EXPECT_TRUE(ViewIsClear());
    EXPECT_EQ(f.statusLabel()->text(), BarFor(4, 5, QString()));
    f.nextFile();
    EXPECT_EQ(f.session().list().position(), 5);
    EXPECT_TRUE(f.session().imageShown());
}

TEST_F(MainWindowFiles, EveryRouteHandlesADecodeFailureAsSteppingDoes) {
    pics.write("huge.jpg", TestImages::JpegClaiming(TestImages::Encode(16, 16, "JPG"), 30000, 30000));
    // Command line naming the broken file: listed, positioned, nothing shown.
    MainWindow& f = Start(pics.file("broken.jpg"));
    EXPECT_EQ(f.session().list().position(), 4);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_EQ(f.statusLabel()->text(), BarFor(4, 6, QString()));
    // A 30000 x 30000 picture is refused, not decoded.
    f.openFileAt(pics.file("huge.jpg"));
    EXPECT_EQ(f.session().list().position(), 5);
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(f.pictureFeed().picture().isNull());
    // Removal onto a broken entry: the shown image goes, nothing else is shown.
    f.openFileAt(pics.file("a10.gif"));
    ASSERT_TRUE(f.session().imageShown());
    ASSERT_FALSE(ViewIsClear());
    f.session().removeShown();  // broken.jpg takes its place
    EXPECT_EQ(f.session().list().position(), 3);
    EXPECT_EQ(f.session().list().nameAt(3), "broken.jpg");
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(ViewIsClear());
}

TEST_F(MainWindowFiles, CommandLineTargets) {
    {
        MainWindow& f = Start(pics.file("a2.jpg"));
        EXPECT_EQ(f.session().list().position(), 2);
    }
    {
        // Blanks and double quotes are name characters: the path is used as it stands.
        QDir(pics.path()).mkdir("my \"best\" pics");
        pics.write("my \"best\" pics/in.bmp", TestImages::Encode(2, 2, "BMP"));
        MainWindow& f = Start(pics.file("my \"best\" pics"));
        EXPECT_EQ(f.session().list().folder(), pics.file("my \"best\" pics/"));
        EXPECT_EQ(f.session().list().count(), 1);
    }
    for (const QString& quiet : {pics.file("UP.JPG"), pics.file("notes.txt")}) {
        // Exact-case test fails, or not an image: nothing, no message.
        MainWindow& f = Start(quiet);
        EXPECT_EQ(f.session().list().count(), 0) << quiet.toStdString();
        EXPECT_EQ(f.windowTitle(), "Orvane");
        EXPECT_TRUE(msg.shown.empty());
    }
    MainWindow& f = Start(pics.file("nothing-here"));
    ASSERT_EQ(msg.shown.size(), 1u);
    EXPECT_EQ(msg.shown[0].text, QStringLiteral("指定のパスが見つかりません"));
    EXPECT_EQ(msg.shown[0].title, QStringLiteral("パラメータ判定"));
    EXPECT_EQ(msg.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(f.session().list().count(), 0);
    EXPECT_EQ(f.statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
}

// A second start's path opens as the command line's would, but only once no question or
// dialog is open: a transfer waiting on the overwrite question must find its list unchanged.
TEST_F(MainWindowFiles, HandedPathWaitsForAnOpenQuestionThenOpens) {
    QDir(pics.path()).mkdir("other");
    pics.write("other/o.bmp", TestImages::Encode(2, 2, "BMP"));
    MainWindow& f = Start(pics.file("a2.jpg"));
    QDialog question(&f);
    question.setModal(true);
    question.show();
    f.openHandedPath(pics.file("other"));
    EXPECT_EQ(f.session().list().folder(), Folder());
    EXPECT_EQ(f.session().list().position(), 2);
    question.hide();
    QTRY_COMPARE_WITH_TIMEOUT(f.session().list().folder(), pics.file("other/"), 5000);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Orvane [ ") + pics.file("other/") + QStringLiteral(" ]"));
}

TEST_F(MainWindowFiles, OpenFileNotInTheListShowsTheFirstEntry) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(pics.file("y.jpg")).constData(), 0600), 0);
    QDir(pics.path()).mkdir("x.jpg");
    MainWindow& f = Start();
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
    EXPECT_TRUE(ViewIsClear());
}

TEST_F(MainWindowFiles, OpenFileMenuUsesTheFilterAndCancelChangesNothing) {
    MainWindow& f = Start(pics.path());
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
    EXPECT_EQ(f.statusLabel()->text(), BarFor(3, 5, "a10.gif"));
}

TEST_F(MainWindowFiles, OpenFolderMenu) {
    MainWindow& f = Start();
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
    EXPECT_EQ(f.session().list().folder(), Folder());
    EXPECT_EQ(f.statusLabel()->text(), BarFor(1, 5, "a1.bmp"));
    EXPECT_EQ(f.windowTitle(), Caption());

    // The menu: open file, open folder, a separator, quit.
    const QList<QAction*> items = f.menuBar()->actions().first()->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->objectName(), "openFile");
    EXPECT_EQ(items[1]->objectName(), "openFolder");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->objectName(), "quit");
}

namespace {
bool DragAccepted(QWidget* target, const QMimeData* data) {
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}
QMimeData* Files(const QStringList& paths) {
    auto* m = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    m->setUrls(urls);
    return m;
}
}  // namespace

TEST_F(MainWindowFiles, DropsAcceptFoldersAndImagesOnEveryControl) {
    MainWindow& f = Start();
    QWidget* targets[] = {&f, f.statusLabel(), f.imageView(), f.overviewPanel()->viewport()};
    std::unique_ptr<QMimeData> folder(Files({pics.path()}));
    std::unique_ptr<QMimeData> image(Files({pics.file("a2.jpg"), pics.file("notes.txt")}));
    std::unique_ptr<QMimeData> text(Files({pics.file("notes.txt"), pics.file("a2.jpg")}));
    std::unique_ptr<QMimeData> upper(Files({pics.file("UP.JPG")}));
    std::unique_ptr<QMimeData> missing(Files({pics.file("gone.jpg")}));
    QMimeData plain;
    plain.setText(pics.file("a2.jpg"));
    QMimeData remote;
    remote.setUrls({QUrl("http://example.invalid/a.jpg")});
    for (QWidget* w : targets) {
        EXPECT_TRUE(DragAccepted(w, folder.get())) << w->objectName().toStdString();
        EXPECT_TRUE(DragAccepted(w, image.get())) << w->objectName().toStdString();
        EXPECT_FALSE(DragAccepted(w, text.get()));
        EXPECT_FALSE(DragAccepted(w, upper.get()));
        EXPECT_FALSE(DragAccepted(w, missing.get()));
        EXPECT_FALSE(DragAccepted(w, &plain));
        EXPECT_FALSE(DragAccepted(w, &remote));
    }
}

TEST_F(MainWindowFiles, DropOpensOnlyTheFirstPath) {
    MainWindow& f = Start();
    std::unique_ptr<QMimeData> three(
        Files({pics.file("a10.gif"), pics.file("a1.bmp"), pics.file("a2.jpg")}));
    // Qt delivers a drop to the control that accepted the drag's entry.
    ASSERT_TRUE(DragAccepted(f.statusLabel(), three.get()));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, three.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.statusLabel(), &drop);
    EXPECT_EQ(f.session().list().position(), 3);
    EXPECT_EQ(f.statusLabel()->text(), BarFor(3, 5, "a10.gif"));
    EXPECT_EQ(f.windowTitle(), Caption());

    std::unique_ptr<QMimeData> text(Files({pics.file("notes.txt")}));
    EXPECT_FALSE(DragAccepted(f.imageView(), text.get()));
    QDropEvent refused(QPointF(2, 2), Qt::CopyAction, text.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.imageView(), &refused);
    EXPECT_EQ(f.session().list().position(), 3);
}

TEST_F(MainWindowFiles, RemovingEntries) {
    TempDir three;
    for (const char* n : {"1.bmp", "2.bmp", "3.bmp"}) three.write(n, TestImages::Encode(3, 3, "BMP"));
    MainWindow& f = Start(three.path());
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
    EXPECT_TRUE(f.pictureFeed().picture().isNull());
    EXPECT_TRUE(ViewIsClear());
    f.updateStatusText();
    EXPECT_EQ(f.statusLabel()->text(), QStringLiteral("[移動] 0/0 "));
    // Nothing to remove or step: nothing happens.
    f.session().removeShown();
    f.nextFile();
    EXPECT_EQ(f.session().list().position(), 0);
}

TEST_F(MainWindowFiles, LoadingTheEmptyPathChangesNoFlag) {
    MainWindow& f = Start(pics.path());
    f.pictureFeed().offset().moveTo(-5, -7);
    f.session().markCopied(0);
    EXPECT_TRUE(f.pictureFeed().load(QString()));
    EXPECT_TRUE(f.pictureFeed().picture().isNull());
    EXPECT_TRUE(ViewIsClear());
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_TRUE(f.session().copied());
    EXPECT_EQ(f.pictureFeed().offset().x(), -5);
    EXPECT_EQ(f.pictureFeed().offset().y(), -7);
    // A named load resets the offsets and the copied mark.
    EXPECT_TRUE(f.pictureFeed().load(pics.file("a2.jpg")));
    EXPECT_EQ(f.pictureFeed().offset().x(), 0);
    EXPECT_EQ(f.pictureFeed().offset().y(), 0);
    EXPECT_FALSE(f.session().copied());
}

TEST_F(MainWindowFiles, PngNeedsThePlugin) {
    pics.write("p.png", TestImages::Encode(6, 3, "PNG"));
    {
        MainWindow& f = Start(pics.path());
        EXPECT_FALSE(f.session().pngPluginAvailable());
        EXPECT_FALSE(f.session().list().names().contains("p.png"));
        f.openFileAt(pics.file("p.png"));
        EXPECT_EQ(f.session().list().position(), 1);  // unchanged
        std::unique_ptr<QMimeData> png(Files({pics.file("p.png")}));
        EXPECT_FALSE(DragAccepted(f.statusLabel(), png.get()));
        // Called directly, a png without the plug-in is a failure like any other.
        EXPECT_FALSE(f.pictureFeed().load(pics.file("p.png")));
    }
    if (!InstallPlugin()) GTEST_SKIP() << "dll/ifPNG.spi was not built in " ORVANE_PROGRAM_DIR;
    pics.write("Q.PNG", TestImages::Encode(5, 5, "PNG"));
    pics.write("r.png", TestImages::Encode(64, 64, "PNG").left(60));
    MainWindow& f = Start(pics.file("p.png"));
    ASSERT_TRUE(f.session().pngPluginAvailable());
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureFeed().picture().size(), QSize(6, 3));
    EXPECT_EQ(f.statusLabel()->text(), BarFor(f.session().list().position(), 8, "p.png"));
    // Capital PNG takes the plug-in route too.
    ASSERT_EQ(f.session().list().nameAt(f.session().list().position() + 1), "Q.PNG");
    f.nextFile();
    EXPECT_TRUE(f.session().imageShown());
    EXPECT_EQ(f.pictureFeed().picture().size(), QSize(5, 5));
    // A truncated PNG: nothing shown, view cleared.
    f.nextFile();
    EXPECT_EQ(f.session().list().nameAt(f.session().list().position()), "r.png");
    EXPECT_FALSE(f.session().imageShown());
    EXPECT_TRUE(ViewIsClear());
    dialogs.fileAnswers.push_back(QString());
    f.findChild<QAction*>("openFile")->trigger();
    EXPECT_EQ(dialogs.fileFilters.last(), QStringLiteral("イメージファイル (*.bmp *.jpg *.gif *.png)"));
}

TEST_F(MainWindowFiles, LayoutColoursAndFocus) {
    MainWindow& f = Start();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(f.centralWidget()->size(), QSize(639, 451));
    auto check = [&] {
        const QSize c = f.centralWidget()->size();
        const ViewGeometry::MainLayout l = ViewGeometry::computeLayout(c.width(), c.height());
        EXPECT_EQ(f.overviewPanel()->geometry(), l.overview);
        EXPECT_EQ(f.imageView()->geometry(), l.view);
        EXPECT_EQ(f.statusLabel()->geometry(), l.status);
    };
    check();
    f.resize(800, 640);
    QApplication::processEvents();
    check();
    EXPECT_EQ(f.overviewPanel()->width(), 145);
    EXPECT_EQ(f.statusLabel()->height(), 17);
    EXPECT_EQ(f.centralWidget()->palette().color(QPalette::Window), kBackground);
    EXPECT_EQ(f.statusLabel()->palette().color(QPalette::Window), kBackground);

    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f)) << "the window was never made active";
    f.overviewPanel()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(f.imageView()->hasFocus());
}

TEST_F(MainWindowFiles, ActualSizeStretchAndTheRightButton) {
    pics.write("wide.bmp", TestImages::Encode(800, 600, "BMP", Qt::blue));
    MainWindow& f = Start(pics.file("a1.bmp"));
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QSize view = f.imageView()->size();
    ASSERT_EQ(view, QSize(639 - 157, 430));
    f.pictureFeed().draw(0);
    EXPECT_EQ(ViewPixel(0, 0), QColor(Qt::red));
    EXPECT_EQ(ViewPixel(6, 4), QColor(Qt::red));
    EXPECT_EQ(ViewPixel(7, 0), kBackground);

    // Right-button release toggles the fit, drawn from the top-left: 7 x 5 in 482 x 430 gives
    // 482 x 344 (344.29 rounded).
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(form->options().fitToView);
    EXPECT_EQ(ViewPixel(view.width() - 1, 343), QColor(Qt::red));
    EXPECT_EQ(ViewPixel(0, 344), kBackground);
    // Pressing and dragging in stretched mode moves nothing.
    f.pictureFeed().onMouseDown(1, 0, 100, 100);
    f.pictureFeed().onMouseMove(1, 0, 50, 50);
    EXPECT_EQ(f.pictureFeed().offset().x(), 0);
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(form->options().fitToView);
    EXPECT_EQ(ViewPixel(7, 0), kBackground);

    // With nothing shown the right button still toggles, and the view is not touched.
    f.openFileAt(pics.file("broken.jpg"));
    ASSERT_FALSE(f.session().imageShown());
    QTest::mouseClick(f.imageView(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(form->options().fitToView);
    EXPECT_TRUE(ViewIsClear());
    // Left clicks do not toggle.
    QTest::mouseClick(f.imageView(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(form->options().fitToView);
}

TEST_F(MainWindowFiles, SlidingByKeysDragAndResize) {
    pics.write("wide.bmp", TestImages::Encode(800, 600, "BMP", Qt::blue));
    MainWindow& f = Start(pics.file("wide.bmp"));
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const int viewW = f.imageView()->width();  // 482

    PictureOffset::HeldKeys keys{};
    keys[2] = true;  // Right
    f.pictureFeed().slide(keys);
    EXPECT_EQ(f.pictureFeed().offset().x(), -30);
    keys[4] = true;  // Shift
    for (int i = 0; i < 5; ++i) f.pictureFeed().slide(keys);
    EXPECT_EQ(f.pictureFeed().offset().x(), viewW - 800);
    keys = {};
    keys[3] = true;  // Down
    f.pictureFeed().slide(keys);
    EXPECT_EQ(f.pictureFeed().offset().y(), -30);
    keys = {};

    // Drag with the left button alone: the image follows the mouse.
    auto send = [&](QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, pos, f.imageView()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(f.imageView(), &e);
    };
    send(QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPointF(150, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.pictureFeed().offset().x(), viewW - 800 + 50);
    EXPECT_EQ(f.pictureFeed().offset().y(), -40);
    // With the right button held as well: no slide.
    send(QEvent::MouseMove, QPointF(160, 80), Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(f.pictureFeed().offset().x(), viewW - 800 + 50);
    send(QEvent::MouseButtonRelease, QPointF(150, 90), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(form->options().fitToView);
    // The top-left of the view shows the image at the offset.
    EXPECT_EQ(ViewPixel(0, 0), QColor(Qt::blue));

    // Enlarging the window pulls the far edge back: view 700 wide gives -100.
    f.pictureFeed().offset().moveTo(viewW - 800, f.pictureFeed().offset().y());
    const int chrome = f.height() - f.centralWidget()->height();
    f.resize(700 + 157, 430 + 21 + chrome);
    QApplication::processEvents();
    ASSERT_EQ(f.imageView()->width(), 700);
    EXPECT_EQ(f.pictureFeed().offset().x(), -100);
    EXPECT_EQ(f.pictureFeed().offset().y(), -40);
    f.resize(900 + 157, 700 + 21 + chrome);
    QApplication::processEvents();
    EXPECT_EQ(f.pictureFeed().offset().x(), 0);
    EXPECT_EQ(f.pictureFeed().offset().y(), 0);
}

TEST_F(MainWindowFiles, StretchedRedrawsClearOnlyInTheNormalState) {
    MainWindow& f = Start(pics.file("a1.bmp"));  // 7 x 5, red
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    // A spot of the view outside the stretched rectangle, marked green before each redraw.
    auto markOutside = [&]() -> QPoint {
        const QSize view = f.imageView()->size();
        const QSize dest = *ViewGeometry::stretchSize(7, 5, view.width(), view.height());
        const QPoint spot = dest.width() < view.width() ? QPoint(view.width() - 2, 1)
                                                        : QPoint(1, view.height() - 2);
        QPainter p(&f.imageView()->backing());
        p.fillRect(QRect(spot, QSize(1, 1)), Qt::green);
        return spot;
    };

    // Normal window, stretched: resizes and slides clear as loads do.
    form->options().fitToView = true;
    f.pictureFeed().draw(0);
    for (int kind : {1, 2}) {
        const QPoint spot = markOutside();
        f.pictureFeed().draw(kind);
        EXPECT_EQ(ViewPixel(spot.x(), spot.y()), kBackground) << "kind " << kind;
    }
    // Actual size: a slide draws over what the view shows.
    form->options().fitToView = false;
    f.pictureFeed().draw(0);
    QPainter(&f.imageView()->backing()).fillRect(QRect(100, 100, 1, 1), Qt::green);
    f.pictureFeed().draw(2);
    EXPECT_EQ(ViewPixel(100, 100), QColor(Qt::green));

    // Maximised, stretched: only kind 0 clears.
    form->options().fitToView = true;
    f.showMaximized();
    QApplication::processEvents();
    if (!(f.windowState() & Qt::WindowMaximized)) GTEST_SKIP() << "the platform did not maximise";
    f.pictureFeed().draw(0);
    for (int kind : {1, 2}) {
        const QPoint spot = markOutside();
        f.pictureFeed().draw(kind);
        EXPECT_EQ(ViewPixel(spot.x(), spot.y()), QColor(Qt::green)) << "kind " << kind;
    }
    const QPoint spot = markOutside();
    f.pictureFeed().draw(0);
    EXPECT_EQ(ViewPixel(spot.x(), spot.y()), kBackground);
}

}  // namespace
