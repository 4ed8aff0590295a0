// The status bar, the caption and the page overview.
#include <QFileInfo>

#include "MainWindow.h"
#include "OverviewText.h"
#include "StatusText.h"

void MainWindow::updateStatusText() {
    int64_t size = 0;
    if (session_.list().count() > 0 && session_.imageShown())
        size = QFileInfo(session_.list().shownPath()).size();
    statusLabel_->setText(statusText(session_, size));
    const QString caption = captionFor(windowTitle(), session_.list().folder());
    if (caption != windowTitle()) setWindowTitle(caption);
}

void MainWindow::showOverview() {
    overviewPanel_->setPlainText(overviewText(library(), session_.overviewRow()));
    overviewShown_ = true;
}
