// The status bar, the caption and the page overview.
#include <QFileInfo>

#include "Form1.h"
#include "PageOverview.h"
#include "StatusBar.h"

void Form1::UpdateStatusBar() {
    int64_t size = 0;
    if (state_.FileCount > 0 && state_.ImageShown) size = QFileInfo(state_.CurrentPath()).size();
    QString copiedTitle;
    if (state_.CopiedFlag && library_.hasPage(library_.currentPage()) && state_.CopiedSlot >= 0 &&
        state_.CopiedSlot < FolderLibrary::kSlots)
        copiedTitle = library_.current().folderSlots[static_cast<size_t>(state_.CopiedSlot)].title;
    bar_->setText(StatusBarText(state_, size, copiedTitle));
    const QString caption = CaptionFor(windowTitle(), state_.CurrentFolder);
    if (caption != windowTitle()) setWindowTitle(caption);
}

void Form1::ShowPageOverview() {
    text1_->setPlainText(PageOverviewText(library_, state_.OverviewRow));
}
