// The status bar, the caption and the page overview.
#include <QFileInfo>

#include "Folder.h"
#include "Form1.h"
#include "PageOverview.h"
#include "StatusBar.h"

void Form1::UpdateStatusBar() {
    int64_t size = 0;
    if (state_.FileCount > 0 && state_.ImageShown) size = QFileInfo(state_.CurrentPath()).size();
    QString copiedTitle;
    const int32_t page = Folder::gl_PageNum;
    if (state_.CopiedFlag && page >= 0 && page < Folder::kPageStorage && state_.CopiedSlot >= 0 &&
        state_.CopiedSlot < Folder::kSlots)
        copiedTitle = Folder::gs_FolderTitle[page][state_.CopiedSlot];
    bar_->setText(StatusBarText(state_, size, copiedTitle));
    const QString caption = CaptionFor(windowTitle(), state_.CurrentFolder);
    if (caption != windowTitle()) setWindowTitle(caption);
}

void Form1::ShowPageOverview() {
    text1_->setPlainText(PageOverviewText(Folder::gl_PageNum, Folder::gi_PageCount, state_.OverviewRow));
}
