// The editor's page side: the page list, the title, the page operations, opening and closing.
#include <QLineEdit>
#include <QListView>

#include "ui/FolderEditorDialog.h"
#include "ui/LibraryMessages.h"
#include "platform/MsgBox.h"
#include "ui/PageListModel.h"

void FolderEditorDialog::startUp() {
    selectCurrentEntry();
    showPage();
}

void FolderEditorDialog::selectCurrentEntry() {
    pageList_->setCurrentIndex(pageModel_->index(library_.currentPage()));
}

bool FolderEditorDialog::pageChangeDone(FolderLibrary::PageChange change) {
    if (change == FolderLibrary::PageChange::Done) return true;
    const QString message = pageChangeMessage(change);
    if (!message.isEmpty()) services_.msgBox->ask(message);
    return false;
}

void FolderEditorDialog::pageListClicked() {
    const int row = pageList_->currentIndex().row();
    if (row == library_.currentPage() || !library_.hasPage(row)) return;
    storePage();
    library_.selectPage(row);
    showPage();
}

void FolderEditorDialog::pageListKeyPressed(QChar ch) {
    const int s = pageList_->currentIndex().row();
    if (ch == QLatin1Char('-') && s > 0)
        pageList_->setCurrentIndex(pageModel_->index(s - 1));
    else if (ch == QLatin1Char('+') && s < library_.pageCount() - 1)
        pageList_->setCurrentIndex(pageModel_->index(s + 1));
}

void FolderEditorDialog::pageNameChanged() {
    if (!fillingFromLibrary_) pageModel_->showTypedName(pageNameBox_->text());
}

void FolderEditorDialog::addPageClicked() {
    storePage();
    const bool done = pageChangeDone(pageModel_->addPage(library_.currentPage()));
    selectCurrentEntry();
    if (done) showPage();
}

void FolderEditorDialog::deletePageClicked() {
    storePage();
    const bool done = pageChangeDone(pageModel_->deletePage(library_.currentPage()));
    selectCurrentEntry();
    if (done) showPage();
}

void FolderEditorDialog::movePageUpClicked() {
    movePage(-1);
}

void FolderEditorDialog::movePageDownClicked() {
    movePage(+1);
}

void FolderEditorDialog::movePage(int direction) {
    const int from = library_.currentPage();
    if (!library_.hasPage(from + direction)) return;
    storePage();
    // The page is current at its new place before the list moves its entry there.
    library_.selectPage(from + direction);
    pageModel_->movePage(from, direction);
    selectCurrentEntry();
    showPage();
}

void FolderEditorDialog::closeClicked() {
    close();
}

void FolderEditorDialog::shutDown() {
    if (closed_) return;
    closed_ = true;
    storePage();
}
