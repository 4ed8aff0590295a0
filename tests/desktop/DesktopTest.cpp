// What start-up makes of Qt's own texts, the interface font and the icon, and where the real
// pickers open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>

#include "desktop/Appearance.h"
#include "desktop/QtServices.h"
#include "TestSupport.h"

TEST(Desktop, QtTextsAreJapanese) {
    ASSERT_TRUE(Appearance::loadQtJapanese())
        << "Qt's Japanese translation (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("x"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    // With their access keys, as Japanese desktops show them: Y and N answer.
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    const auto browser = QtPickers::makeFolderChooser(nullptr, QStringLiteral("フォルダを選択してください"));
    EXPECT_EQ(browser->labelText(QFileDialog::LookIn), QStringLiteral("アドレス:"));
}

// Digits and kana drawn by one font: its family covers both scripts, so Qt never falls back.
TEST(Desktop, OneFontAndTheIcon) {
    Appearance::apply();
    const QString family = QFontInfo(QApplication::font()).family();
    const auto scripts = QFontDatabase::writingSystems(family);
    EXPECT_TRUE(scripts.contains(QFontDatabase::Japanese) && scripts.contains(QFontDatabase::Latin))
        << family.toStdString();
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
}

// Neither picker opens at the program's own folder (the working directory).
TEST(Desktop, PickersOpenAtTheUsersFolders) {
    TempDir home;
    QDir(home.path()).mkdir(QStringLiteral("Desktop"));
    QDir(home.path()).mkdir(QStringLiteral("Pictures"));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const auto browser = QtPickers::makeFolderChooser(nullptr, QStringLiteral("フォルダを選択してください"));
    const auto open = QtPickers().makeOpenFileDialog(nullptr, QStringLiteral("イメージファイル (*.jpg)"));
    qputenv("HOME", oldHome);
    EXPECT_EQ(browser->directory().absolutePath(), home.file(QStringLiteral("Desktop")));
    EXPECT_EQ(browser->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(open->directory().absolutePath(), home.file(QStringLiteral("Pictures")));
}
