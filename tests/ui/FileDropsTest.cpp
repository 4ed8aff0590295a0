// Drops of files and folders onto the main window and its controls.
#include <QDropEvent>

#include "ui/FileDrops.h"
#include "MainWindowFixture.h"

namespace {

using FileDropsOnTheWindow = MainWindowWithPictures;

// A drop opens the first of a list of local files, when that is an existing folder or an
// existing image file.
TEST_F(FileDropsOnTheWindow, OnlyAnExistingFolderOrImageNamedFirstIsAccepted) {
    auto accepted = [this](const std::unique_ptr<QMimeData>& data, bool png = false) {
        return FileDrops::acceptedPath(fs, data.get(), png);
    };
    EXPECT_EQ(accepted(files({pics.path()})), pics.path());
    EXPECT_EQ(accepted(files({pics.file("a2.jpg"), pics.file("notes.txt")})), pics.file("a2.jpg"));
    EXPECT_EQ(accepted(files({pics.file("notes.txt"), pics.file("a2.jpg")})), QString());
    EXPECT_EQ(accepted(files({pics.file("UP.JPG")})), QString());
    EXPECT_EQ(accepted(files({pics.file("gone.jpg")})), QString());
    pics.write("p.png", "png");
    EXPECT_EQ(accepted(files({pics.file("p.png")})), QString());
    EXPECT_EQ(accepted(files({pics.file("p.png")}), true), pics.file("p.png"));
    auto plain = std::make_unique<QMimeData>();
    plain->setText(pics.file("a2.jpg"));
    EXPECT_EQ(accepted(plain), QString());
    auto remote = std::make_unique<QMimeData>();
    remote->setUrls({QUrl("http://example.invalid/a.jpg")});
    EXPECT_EQ(accepted(remote), QString());
}

TEST_F(FileDropsOnTheWindow, EveryControlTakesTheSameDrops) {
    MainWindow& f = start();
    const std::unique_ptr<QMimeData> folder = files({pics.path()});
    const std::unique_ptr<QMimeData> text = files({pics.file("notes.txt")});
    for (QWidget* w : {static_cast<QWidget*>(&f), static_cast<QWidget*>(f.statusLabel()),
                       static_cast<QWidget*>(f.imageView()), f.overviewPanel()->viewport()}) {
        EXPECT_TRUE(dragAccepted(w, folder.get())) << w->objectName().toStdString();
        EXPECT_FALSE(dragAccepted(w, text.get())) << w->objectName().toStdString();
    }
}

TEST_F(FileDropsOnTheWindow, DropOpensOnlyTheFirstPath) {
    MainWindow& f = start();
    const std::unique_ptr<QMimeData> three = files({pics.file("a10.gif"), pics.file("a1.bmp"), pics.file("a2.jpg")});
    // Qt delivers a drop to the control that accepted the drag's entry.
    ASSERT_TRUE(dragAccepted(f.statusLabel(), three.get()));
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, three.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.statusLabel(), &drop);
    EXPECT_EQ(f.session().list().position(), 3);
    EXPECT_EQ(f.statusLabel()->text(), barFor(3, 5, "a10.gif"));
    EXPECT_EQ(f.windowTitle(), caption());

    const std::unique_ptr<QMimeData> text = files({pics.file("notes.txt")});
    EXPECT_FALSE(dragAccepted(f.imageView(), text.get()));
    QDropEvent refused(QPointF(2, 2), Qt::CopyAction, text.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.imageView(), &refused);
    EXPECT_EQ(f.session().list().position(), 3);
}

}  // namespace
