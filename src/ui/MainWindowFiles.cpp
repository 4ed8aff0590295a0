// Opening files and folders and stepping through the list.
#include <optional>

#include "desktop/DesktopFolders.h"
#include "platform/ImageNames.h"
#include "ui/MainWindow.h"
#include "ui/PathOpener.h"
#include "desktop/Pickers.h"
#include "ui/SessionPictures.h"

void MainWindow::openHandedPath(const QString& path) { opener_->openHanded(path); }

bool MainWindow::takesHandedPaths() const { return opener_->takesHandedPaths(); }

void MainWindow::openPath(const QString& path) { opener_->openPath(path); }

void MainWindow::openSlotFolder(int slot) {
    folders_.openFolder(session_.slotFolder(slot));
    updateStatusText();
}

void MainWindow::nextFile(bool held) {
    if (session_.list().count() <= 0 || pictures_->skipsHeldStep(+1, held)) return;
    session_.nextFile();
}

void MainWindow::previousFile(bool held) {
    if (session_.list().count() <= 0 || pictures_->skipsHeldStep(-1, held)) return;
    session_.previousFile();
}

void MainWindow::openFile() {
    if (!services_.pickers) return;
    const QString filter = ImageNames::dialogFilter(session_.pngPluginAvailable(), options().extraFormats);
    const QString name = services_.pickers->choosePictureFile(this, filter);
    if (name.isEmpty()) return;
    openFileAt(name);
    updateStatusText();
}

void MainWindow::openFolder() {
    if (!services_.pickers) return;
    const std::optional<QString> chosen = DesktopFolders::chooseFolderPath(*services_.pickers, this);
    if (!chosen || chosen->isEmpty()) return;
    openFolderAt(*chosen);
    updateStatusText();
}
