#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <memory>

#include "FakePickers.h"
#include "platform/FileSystem.h"
#include "view/ImageView.h"
#include "ui/MainWindow.h"
#include "PictureSettled.h"
#include "TestImages.h"
#include "TestSupport.h"
#include "WorkingDirectoryGuard.h"

// The main window started in a temporary program directory, as the program starts in its own
// folder, with fake services.
class MainWindowFixture : public ::testing::Test {
protected:
    WorkingDirectoryGuard workingDirectory;  // first: undone last
    void SetUp() override {
        services.msgBox = &msg;
        services.fileSystem = &fs;
        services.pickers = &dialogs;
    }
    void TearDown() override { window.reset(); }

    // A new window on `commandLine` (empty: none) after its start-up; the previous one goes.
    MainWindow& start(const QString& commandLine = QString()) {
        window.reset();
        window = std::make_unique<MainWindow>(services, program.path(), commandLine);
        window->startUp();
        return *window;
    }

    TempDir program;
    FakeMsgBox msg;
    FakePickers dialogs;
    PosixFileSystem fs;
    Services services;
    std::unique_ptr<MainWindow> window;
};

// The same with a folder of pictures, listed as a1.bmp, a2.jpg, a10.gif, broken.jpg, UP.JPG
// (and notes.txt, which is no image).
class MainWindowWithPictures : public MainWindowFixture {
protected:
    static inline const QColor kBackground{255, 224, 192};

    void SetUp() override {
        MainWindowFixture::SetUp();
        pics.write("a1.bmp", TestImages::Encode(7, 5, "BMP"));
        pics.write("a2.jpg", TestImages::Encode(16, 8, "JPG"));
        pics.write("a10.gif", TestImages::Gif1x1());
        pics.write("broken.jpg", "this is no picture");
        pics.write("UP.JPG", TestImages::Encode(4, 4, "JPG"));
        pics.write("notes.txt", "text");
    }

    QString folder() const { return pics.path() + '/'; }
    // The status bar in move mode at `index` of `count`, showing `name` (empty: nothing shown).
    QString barFor(int index, int count, const QString& name) const {
        QString text = QStringLiteral("[移動] %1/%2 ").arg(index).arg(count);
        if (!name.isEmpty())
            text += name + QStringLiteral("  %1B").arg(QFileInfo(pics.file(name)).size());
        return text;
    }
    QString caption() const { return QStringLiteral("Orvane [ ") + folder() + QStringLiteral(" ]"); }
    // True when every pixel of the view's backing pixmap is the background colour.
    bool viewIsClear() const {
        const QImage img = window->imageView()->backing().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) != kBackground) return false;
        return true;
    }
    QColor viewPixel(int x, int y) const { return window->imageView()->backing().toImage().pixelColor(x, y); }
    // The plug-in as the build made it, placed where start-up looks for it.
    bool installPlugin() {
        const QString built = QStringLiteral(ORVANE_PROGRAM_DIR) + "/dll/ifPNG.spi";
        if (!QFileInfo::exists(built)) return false;
        QDir(program.path()).mkpath("dll");
        return QFile::copy(built, program.file("dll/ifPNG.spi"));
    }

    TempDir pics;
};

// A drag payload of local paths, as a file manager sends it.
inline std::unique_ptr<QMimeData> files(const QStringList& paths) {
    auto m = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    m->setUrls(urls);
    return m;
}

// Whether `target` takes a drag of `data` entering it, as a copy.
inline bool dragAccepted(QWidget* target, const QMimeData* data) {
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}
