// The editor's ten slot rows: showing and storing a page, the switch rule, the next-number
// rule, "クリア", "参照" and folder drops.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QUrl>

#include "desktop/DesktopFolders.h"
#include "platform/FileSystem.h"
#include "ui/FolderEditorDialog.h"
#include "ui/LineBreakGuard.h"
#include "platform/MsgBox.h"
#include "ui/PageListModel.h"
#include "platform/Paths.h"

namespace {

constexpr int kNextNumberModulus = 1000001;

// The first entry of a dropped file list as a local path; empty for anything else.
QString firstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

bool isExistingFolder(FileSystem& fs, const QString& path) {
    return !path.isEmpty() && fs.exists(path) && QFileInfo(path).isDir();
}

// The normal input background, or the greyed one of a box that cannot be edited; the same
// in every colour group so that a disabled box shows it too.
void setBoxState(QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    QPalette pal = box->palette();
    const QPalette standard = QApplication::palette(box);
    const QColor colour = enabled ? standard.color(QPalette::Active, QPalette::Base)
                                  : standard.color(QPalette::Active, QPalette::Button);
    pal.setColor(QPalette::Base, colour);
    box->setPalette(pal);
}

}  // namespace

QString FolderEditorDialog::nextNumberText(const QString& text) {
    // Exact remainder over the digits, so a pasted number of any length reduces correctly.
    int64_t value = 0;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) break;
        value = (value * 10 + (ch.unicode() - '0')) % kNextNumberModulus;
    }
    return QString::number(value);
}

QString FolderEditorDialog::pageCountCaption(int pageCount) {
    return QStringLiteral("ページ数 ") + QString::number(pageCount) + QStringLiteral(" / ") +
           QString::number(FolderLibrary::kMaxPages);
}

void FolderEditorDialog::showPage() {
    pageCountLabel_->setText(pageCountCaption(library_.pageCount()));
    if (!library_.hasPage(library_.currentPage())) return;
    fillingFromLibrary_ = true;
    pageNameBox_->setText(library_.current().name);
    for (int i = 0; i < kRows; ++i) {
        Row& r = rows_[i];
        // Read before the rows write through: setting the switch stores it at once.
        const Slot slot = shownSlot(i);
        r.title->setText(slot.title);
        r.folder->setText(slot.folder);
        r.renaming->setChecked(slot.renames());
        renamingClicked(i);
        r.fixedName->setText(slot.fixedName);
        r.nextNumber->setText(QString::number(slot.nextNumber));
    }
    fillingFromLibrary_ = false;
}

void FolderEditorDialog::storePage() {
    if (!library_.hasPage(library_.currentPage())) return;
    for (int i = 0; i < kRows; ++i) {
        const Row& r = rows_[i];
        Slot& slot = shownSlot(i);
        slot.title = r.title->text();
        slot.folder = r.folder->text();
        // The box holds 0..1000000 after its change rule.
        slot.nextNumber = nextNumberText(r.nextNumber->text()).toInt();
    }
    library_.current().name = pageNameBox_->text();
    pageModel_->clearTypedName();
}

void FolderEditorDialog::renamingClicked(int i) {
    Row& r = rows_[i];
    const bool on = r.renaming->isChecked();
    setBoxState(r.fixedName, on);
    setBoxState(r.nextNumber, on && options_.continueNumbers);
    if (library_.hasPage(library_.currentPage())) shownSlot(i).renaming = on ? Renaming::On : Renaming::Off;
}

void FolderEditorDialog::fixedNameChanged(int i) {
    if (library_.hasPage(library_.currentPage())) shownSlot(i).fixedName = rows_[i].fixedName->text();
}

bool FolderEditorDialog::nextNumberKeyPress(int, QChar ch) const {
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QChar(8);
}

void FolderEditorDialog::nextNumberChanged(int i) {
    QLineEdit* box = rows_[i].nextNumber;
    const QString text = box->text();
    const QString normal = nextNumberText(text);
    if (normal == text) return;
    // The caret keeps its distance from the end, so typing in the middle stays in place.
    const int fromEnd = text.size() - box->cursorPosition();
    box->setText(normal);  // a change itself: the next pass finds it settled
    box->setCursorPosition(qBound(0, int(normal.size()) - fromEnd, int(normal.size())));
}

void FolderEditorDialog::clearClicked(int i) {
    Row& r = rows_[i];
    shownSlot(i).folder.clear();
    shownSlot(i).title.clear();
    r.title->clear();
    r.folder->clear();
    r.fixedName->clear();
    r.renaming->setChecked(false);
    r.nextNumber->setText(QStringLiteral("0"));
    renamingClicked(i);
}

void FolderEditorDialog::browseClicked(int i) {
    if (!services_.pickers) return;
    const std::optional<QString> chosen = DesktopFolders::chooseFolderPath(*services_.pickers, this);
    if (!chosen) return;
    if (LineBreakGuard::hasLineBreak(*chosen)) {
        if (services_.msgBox) services_.msgBox->ask(LineBreakGuard::message());
        return;
    }
    shownSlot(i).folder = *chosen;
    rows_[i].folder->setText(*chosen);
}

bool FolderEditorDialog::titleAcceptsDrop(int i, const QMimeData* dropped) const {
    return folderAcceptsDrop(i, dropped);
}

bool FolderEditorDialog::folderAcceptsDrop(int, const QMimeData* dropped) const {
    return isExistingFolder(*services_.fileSystem, firstDroppedPath(dropped));
}

QString FolderEditorDialog::droppedFolder(const QMimeData* dropped) {
    QString path = firstDroppedPath(dropped);
    if (!isExistingFolder(*services_.fileSystem, path)) return QString();
    if (LineBreakGuard::hasLineBreak(path)) {
        if (services_.msgBox) services_.msgBox->ask(LineBreakGuard::message());
        return QString();
    }
    Paths::lastPathComponent(path);  // for its final "/"
    return path;
}

void FolderEditorDialog::titleDropped(int i, const QMimeData* dropped) {
    QString path = droppedFolder(dropped);
    if (path.isEmpty()) return;
    rows_[i].title->setText(Paths::lastPathComponent(path));
    shownSlot(i).folder = path;
    rows_[i].folder->setText(path);
}

void FolderEditorDialog::folderDropped(int i, const QMimeData* dropped) {
    const QString path = droppedFolder(dropped);
    if (path.isEmpty()) return;
    shownSlot(i).folder = path;
    rows_[i].folder->setText(path);
}
