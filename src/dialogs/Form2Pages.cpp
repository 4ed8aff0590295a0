// The editor's page side: the page list, the title, the page operations, opening and closing.
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "Folder.h"
#include "Form2.h"
#include "GlobalParam.h"
#include "MsgBox.h"

void Form2::Form_Load() {
    // Start-up keeps the current page inside the library; a stray value must not index
    // outside the page storage here.
    if (Folder::gl_PageNum < 0 || Folder::gl_PageNum >= Folder::kMaxPages) Folder::gl_PageNum = 0;
    editorUpdating_ = true;
    {
        // Qt reports selection changes made from code; the list's own signals stay quiet while
        // the editor rebuilds it, and the resulting selection is applied below.
        const QSignalBlocker block(pageList_);
        pageList_->clear();
        for (int k = 0; k < Folder::gi_PageCount; ++k) pageList_->addItem(Folder::gs_PageName[k]);
        pageList_->setCurrentRow(Folder::gl_PageNum);
    }
    ApplyListSelection();
    ShowEditorPage();
    editorUpdating_ = false;
}

void Form2::ApplyListSelection() {
    const int s = pageList_->currentRow();
    if (s >= 0 && s < Folder::gi_PageCount) Folder::gl_PageNum = s;
}

void Form2::PageList_Click() {
    if (!editorUpdating_) StoreEditorPage();
    const int s = pageList_->currentRow();
    if (s < 0 || s >= Folder::gi_PageCount) return;
    Folder::gl_PageNum = s;
    ShowEditorPage();
}

void Form2::PageList_KeyPress(QChar ch) {
    const int s = pageList_->currentRow();
    if (ch == QLatin1Char('-') && s > 0)
        pageList_->setCurrentRow(s - 1);
    else if (ch == QLatin1Char('+') && s < Folder::gi_PageCount - 1)
        pageList_->setCurrentRow(s + 1);
}

void Form2::PageTitle_Change() {
    if (editorUpdating_) return;
    if (QListWidgetItem* item = pageList_->item(Folder::gl_PageNum)) item->setText(pageTitle_->text());
}

void Form2::Com_AddPage_Click() {
    StoreEditorPage();
    if (!Folder::AddPage(Folder::gl_PageNum, *services_.msgBox)) return;
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        pageList_->insertItem(Folder::gl_PageNum, Folder::gs_PageName[Folder::gl_PageNum]);
        pageList_->setCurrentRow(Folder::gl_PageNum);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    ShowEditorPage();
}

void Form2::Com_DelPage_Click() {
    StoreEditorPage();
    const int32_t k = Folder::gl_PageNum;
    if (!Folder::DeletePage(k, *services_.msgBox)) return;
    editorUpdating_ = true;
    {
        // Removing the current row makes Qt select a neighbour on its own; that must not
        // move gl_PageNum, which DeletePage has already settled.
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k);
        pageList_->setCurrentRow(Folder::gl_PageNum);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    ShowEditorPage();
}

void Form2::Com_SwapFoward_Click() {
    const int32_t k = Folder::gl_PageNum;
    if (k <= 0) return;
    StoreEditorPage();
    Folder::SwapPages(k, k - 1);
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k - 1);
        pageList_->insertItem(k, Folder::gs_PageName[k]);
        pageList_->setCurrentRow(k - 1);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    Folder::gl_PageNum = k - 1;
    ShowEditorPage();
}

void Form2::Com_SwapNext_Click() {
    const int32_t k = Folder::gl_PageNum;
    if (k >= Folder::gi_PageCount - 1) return;
    StoreEditorPage();
    Folder::SwapPages(k, k + 1);
    editorUpdating_ = true;
    {
        const QSignalBlocker block(pageList_);
        delete pageList_->takeItem(k + 1);
        pageList_->insertItem(k, Folder::gs_PageName[k]);
        pageList_->setCurrentRow(k + 1);
    }
    ApplyListSelection();
    editorUpdating_ = false;
    Folder::gl_PageNum = k + 1;
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
    Folder::SaveFolderFile(programDir_, msg);
    Folder::SavePageFile(programDir_, msg);
    GlobalParam::SaveSettings(1, programDir_, msg);
}
