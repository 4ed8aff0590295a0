// The status bar, the caption and the page overview.
#include <QFileInfo>
#include <QTimer>

#include "ui/MainWindow.h"
#include "ui/OverviewText.h"
#include "ui/StatusText.h"

void MainWindow::updateStatusText() {
    int64_t size = 0;
    int companions = 0;
    if (session_.list().count() > 0 && session_.imageShown()) {
        size = QFileInfo(session_.list().shownPath()).size();
        // A group is sent whole: its size is what the key moves.
        for (const QString& path : session_.shownCompanions()) {
            const QFileInfo companion(path);
            if (!companion.isFile()) continue;
            size += companion.size();
            ++companions;
        }
    }
    statusLabel_->setText(statusNote_.isEmpty() ? statusText(session_, size, companions) : statusNote_);
    const QString caption = captionFor(windowTitle(), session_.list().folder());
    if (caption != windowTitle()) setWindowTitle(caption);
}

void MainWindow::showStatusNote(const QString& note) {
    if (!statusNoteTimer_) {
        statusNoteTimer_ = new QTimer(this);
        statusNoteTimer_->setSingleShot(true);
        connect(statusNoteTimer_, &QTimer::timeout, this, [this] { showStatusNote(QString()); });
    }
    statusNote_ = note;
    if (note.isEmpty())
        statusNoteTimer_->stop();
    else
        statusNoteTimer_->start(kStatusNoteMs);
    updateStatusText();
}

void MainWindow::showOverview() {
    overviewPanel_->setPlainText(overviewText(library(), session_.overviewRow()));
    overviewShown_ = true;
}
