// The editor's page side: the page list, the title, the page operations, opening and closing.
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "Form2.h"
#include "LibraryFiles.h"
#include "LibraryMessages.h"
#include "MsgBox.h"
#include "OptionFiles.h"

void Form2::Form_Load() {
    editorUpdating_ = true;
    {
        // Qt reports selection changes made from code; the list's own signals stay quiet while
        // the editor rebuilds it, and the resulting selection is applied below.
        const QSignalBlocker block(pageList_);
        pageList_->clear();
        for (int k = 0; k < library_.pageCount(); ++k) pageList_->addItem(library_.page(k).name);
        pageList_->setCurrentRow(library_.currentPage());
    }
    ApplyListSelection();
    ShowEditorPage();
    editorUpdating_ = false;
}

void Form2::ApplyListSelection() {
    library_.selectPage(pageList_->currentRow());
}

bool Form2::PageChangeDone(FolderLibrary::PageChange change) {
    if (change == FolderLibrary::PageChange::Done) return true;
    const QString message = PageChangeMessage(change);
    if (!message.isEmpty()) services_.msgBox->Show(message);
    return false;
}

void Form2::PageList_Click() {
    if (!editorUpdating_) StoreEditorPage();
    if (!library_.selectPage(pageList_->currentRow())) return;
    ShowEditorPage();
}

void Form2::PageList_KeyPress(QChar ch) {
    const int s = pageList_->currentRow();
    if (ch == QLatin1Char('-') && s > 0)
        pageList_->setCurrentRow(s - 1);
    else if (ch == QLatin1Char('+') && s < library_.pageCount() - 1)
        pageList_->setCurrentRow(s + 1);
}

void Form2::PageTitle_Change() {
    if (editorUpdating_) return;
    if (QListWidgetItem* item = pageList_->item(library_.currentPage())) item->setText(pageTitle_->text());
}

void Form2::Com_AddPage_Click() {
    StoreEditorPage();
    if (!PageChangeDone(library_.addPage(library_.currentPage()))) return;
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        pageList_->insertItem(library_.currentPage(), library_.current().name);
        pageList_->setCurrentRow(library_.currentPage());
    }
    ApplyListSelection();
    editorUpdating_ = false;
    ShowEditorPage();
}

void Form2::Com_DelPage_Click() {
    StoreEditorPage();
    const int32_t k = library_.currentPage();
    if (!PageChangeDone(library_.deletePage(k))) return;
    editorUpdating_ = true;
    {
        // Removing the current row makes Qt select a neighbour on its own; that must not
        // move the current page, which the library has already settled.
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k);
        pageList_->setCurrentRow(library_.currentPage());
    }
    ApplyListSelection();
    editorUpdating_ = false;
    ShowEditorPage();
}

void Form2::Com_SwapFoward_Click() {
    const int32_t k = library_.currentPage();
    if (k <= 0) return;
    StoreEditorPage();
    library_.swapPages(k, k - 1);
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k - 1);
        pageList_->insertItem(k, library_.page(k).name);
        pageList_->setCurrentRow(k - 1);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    library_.selectPage(k - 1);
    ShowEditorPage();
}

void Form2::Com_SwapNext_Click() {
    const int32_t k = library_.currentPage();
    if (k >= library_.pageCount() - 1) return;
    StoreEditorPage();
    library_.swapPages(k, k + 1);
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k + 1);
        pageList_->insertItem(k, library_.page(k).name);
        pageList_->setCurrentRow(k + 1);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    library_.selectPage(k + 1);
    ShowEditorPage();
}

void Form2::Command1_Click() {
    close();
}

void Form2::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    StoreEditorPage();
    MsgBox& msg = *services_.msgBox;
    ReportSaveFailure(msg, LibraryFiles::saveFolders(programDir_, library_));
    ReportSaveFailure(msg, LibraryFiles::savePages(programDir_, library_));
    ReportSaveFailure(msg, OptionFiles::saveRenaming(programDir_, library_));
}
