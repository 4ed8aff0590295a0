#pragma once
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "FakePickers.h"
#include "platform/FileSystem.h"
#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "desktop/Services.h"
#include "TestSupport.h"

// A library of three pages "A", "B", "C" with page 1 current, default options, and fake
// services; the temporary folder stands in for the program's directory.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* names[] = {"A", "B", "C"};
        for (int p = 0; p < 3; ++p) {
            library.appendPage(QString::fromLatin1(names[p]));
            library.page(p).folderSlots[0].title = QStringLiteral("t") + QString::number(p);
            library.page(p).folderSlots[0].folder = QStringLiteral("/p") + QString::number(p) + QLatin1Char('/');
        }
        library.resetRenaming();
        library.selectPage(1);
        QDir().mkpath(program.file("config"));
        services.msgBox = &msg;
        services.fileSystem = &fs;
        services.pickers = &dialogs;
    }

    // A drag payload of local paths, as a file manager sends it.
    static std::unique_ptr<QMimeData> Urls(const QStringList& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        return data;
    }

    // Clicks the dialog's button named `name` with the mouse, wherever it is laid out.
    static void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // What the dialog under test is given; each dialog edits a copy of its own.
    FolderLibrary library;
    Options options;
    TempDir program;
    FakeMsgBox msg;
    FakePickers dialogs;
    PosixFileSystem fs;
    Services services;
};
