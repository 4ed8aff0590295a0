// Where the real pickers open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>

#include "QtServices.h"
#include "TestSupport.h"

// Neither picker opens at the program's own folder (the working directory).
TEST(Desktop, PickersOpenAtTheUsersFolders) {
    TempDir home;
    QDir(home.path()).mkdir(QStringLiteral("Desktop"));
    QDir(home.path()).mkdir(QStringLiteral("Pictures"));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    const auto browser = QtShellDialogs::MakeFolderBrowser(nullptr, QStringLiteral("フォルダを選択してください"));
    const auto open = QtShellDialogs().MakeOpenFileDialog(nullptr, QStringLiteral("イメージファイル (*.jpg)"));
    qputenv("HOME", oldHome);
    EXPECT_EQ(browser->directory().absolutePath(), home.file(QStringLiteral("Desktop")));
    EXPECT_EQ(browser->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(open->directory().absolutePath(), home.file(QStringLiteral("Pictures")));
}
