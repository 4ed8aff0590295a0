// The editor's page side: the page list, the title, the page operations, opening and closing.
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "FolderEditorDialog.h"
#include "LibraryFiles.h"
#include "LibraryMessages.h"
#include "MsgBox.h"
#include "OptionFiles.h"

void FolderEditorDialog::startUp() {
    fillingFromLibrary_ = true;
    {
        // Qt reports selection changes made from code; the list's own signals stay quiet while
        // the editor rebuilds it, and the resulting selection is applied below.
        const QSignalBlocker block(pageList_);
        pageList_->clear();
        for (int k = 0; k < library_.pageCount(); ++k) pageList_->addItem(library_.page(k).name);
        pageList_->setCurrentRow(library_.currentPage());
    }
    applyListSelection();
    showPage();
    fillingFromLibrary_ = false;
}

void FolderEditorDialog::applyListSelection() {
    library_.selectPage(pageList_->currentRow());
}

bool FolderEditorDialog::pageChangeDone(FolderLibrary::PageChange change) {
    if (change == FolderLibrary::PageChange::Done) return true;
    const QString message = pageChangeMessage(change);
    if (!message.isEmpty()) services_.msgBox->Show(message);
    return false;
}

void FolderEditorDialog::pageListClicked() {
    if (!fillingFromLibrary_) storePage();
    if (!library_.selectPage(pageList_->currentRow())) return;
    showPage();
}

void FolderEditorDialog::pageListKeyPressed(QChar ch) {
    const int s = pageList_->currentRow();
    if (ch == QLatin1Char('-') && s > 0)
        pageList_->setCurrentRow(s - 1);
    else if (ch == QLatin1Char('+') && s < library_.pageCount() - 1)
        pageList_->setCurrentRow(s + 1);
}

void FolderEditorDialog::pageNameChanged() {
    if (fillingFromLibrary_) return;
    if (QListWidgetItem* item = pageList_->item(library_.currentPage())) item->setText(pageNameBox_->text());
}

void FolderEditorDialog::addPageClicked() {
    storePage();
    if (!pageChangeDone(library_.addPage(library_.currentPage()))) return;
    fillingFromLibrary_ = true;
    {
        const QSignalBlocker block(pageList_);
        pageList_->insertItem(library_.currentPage(), library_.current().name);
        pageList_->setCurrentRow(library_.currentPage());
    }
    applyListSelection();
    fillingFromLibrary_ = false;
    showPage();
}

void FolderEditorDialog::deletePageClicked() {
    storePage();
    const int32_t k = library_.currentPage();
    if (!pageChangeDone(library_.deletePage(k))) return;
    fillingFromLibrary_ = true;
    {
        // Removing the current row makes Qt select a neighbour on its own; that must not
        // move the current page, which the library has already settled.
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k);
        pageList_->setCurrentRow(library_.currentPage());
    }
    applyListSelection();
    fillingFromLibrary_ = false;
    showPage();
}

void FolderEditorDialog::movePageUpClicked() {
    const int32_t k = library_.currentPage();
    if (k <= 0) return;
    storePage();
    library_.swapPages(k, k - 1);
    fillingFromLibrary_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k - 1);
        pageList_->insertItem(k, library_.page(k).name);
        pageList_->setCurrentRow(k - 1);
    }
    applyListSelection();
    fillingFromLibrary_ = false;
    library_.selectPage(k - 1);
    showPage();
}

void FolderEditorDialog::movePageDownClicked() {
    const int32_t k = library_.currentPage();
    if (k >= library_.pageCount() - 1) return;
    storePage();
    library_.swapPages(k, k + 1);
    fillingFromLibrary_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k + 1);
        pageList_->insertItem(k, library_.page(k).name);
        pageList_->setCurrentRow(k + 1);
    }
    applyListSelection();
    fillingFromLibrary_ = false;
    library_.selectPage(k + 1);
    showPage();
}

void FolderEditorDialog::closeClicked() {
    close();
}

void FolderEditorDialog::shutDown() {
    if (unloaded_) return;
    unloaded_ = true;
    storePage();
    MsgBox& msg = *services_.msgBox;
    reportSaveFailure(msg, LibraryFiles::saveFolders(programDir_, library_));
    reportSaveFailure(msg, LibraryFiles::savePages(programDir_, library_));
    reportSaveFailure(msg, OptionFiles::saveRenaming(programDir_, library_));
}
