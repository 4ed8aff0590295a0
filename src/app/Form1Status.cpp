// The status bar, the caption and the page overview.
#include <QFileInfo>

#include "Form1.h"
#include "PageOverview.h"
#include "StatusBar.h"

void Form1::UpdateStatusBar() {
    int64_t size = 0;
    if (session_.list().count() > 0 && session_.imageShown())
        size = QFileInfo(session_.list().shownPath()).size();
    bar_->setText(StatusBarText(session_, size));
    const QString caption = CaptionFor(windowTitle(), session_.list().folder());
    if (caption != windowTitle()) setWindowTitle(caption);
}

void Form1::ShowPageOverview() {
    text1_->setPlainText(PageOverviewText(library(), session_.overviewRow()));
}
