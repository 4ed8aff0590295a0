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

#include "DesktopFolders.h"
#include "FileSystem.h"
#include "Folder.h"
#include "Form2.h"
#include "GlobalParam.h"
#include "LineBreakGuard.h"
#include "Module1.h"
#include "MsgBox.h"

namespace {

constexpr int kNextNumberModulus = 1000001;

// The first entry of a dropped file list as a local path; empty for anything else.
QString FirstDroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return QString();
    return urls.first().toLocalFile();
}

bool IsExistingFolder(const QString& path) {
    return !path.isEmpty() && PosixFileSystem().Exists(path) && QFileInfo(path).isDir();
}

// The normal input background, or the greyed one of a box that cannot be edited; the same
// in every colour group so that a disabled box shows it too.
void SetBoxState(QLineEdit* box, bool enabled) {
    box->setEnabled(enabled);
    QPalette pal = box->palette();
    const QPalette standard = QApplication::palette(box);
    const QColor colour = enabled ? standard.color(QPalette::Active, QPalette::Base)
                                  : standard.color(QPalette::Active, QPalette::Button);
    pal.setColor(QPalette::Base, colour);
    box->setPalette(pal);
}

}  // namespace

QString Form2::NextNumberText(const QString& text) {
    // Exact remainder over the digits, so a pasted number of any length reduces correctly.
    int64_t value = 0;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) break;
        value = (value * 10 + (ch.unicode() - '0')) % kNextNumberModulus;
    }
    return QString::number(value);
}

QString Form2::PageNumCaption(int pageCount) {
    return QStringLiteral("ページ数 ") + QString::number(pageCount) + QStringLiteral(" / ") +
           QString::number(Folder::kMaxPages);
}

void Form2::ShowEditorPage() {
    const int32_t p = Folder::gl_PageNum;
    pageNumLabel_->setText(PageNumCaption(Folder::gi_PageCount));
    pageTitle_->setText(Folder::gs_PageName[p]);
    for (int i = 0; i < kRows; ++i) {
        Row& r = rows_[i];
        r.title->setText(Folder::gs_FolderTitle[p][i]);
        r.path->setText(Folder::gs_FolderPath[p][i]);
        r.seqSwitch->setChecked(Folder::gi_SeqSwitch[p][i] == 1);
        SeqSwitch_Click(i);
        r.seqName->setText(Folder::gs_SeqName[p][i]);
        r.priNum->setText(QString::number(Folder::gl_SeqNum[p][i]));
    }
}

void Form2::StoreEditorPage() {
    const int32_t p = Folder::gl_PageNum;
    for (int i = 0; i < kRows; ++i) {
        const Row& r = rows_[i];
        Folder::gs_FolderTitle[p][i] = r.title->text();
        Folder::gs_FolderPath[p][i] = r.path->text();
        // The box holds 0..1000000 after its change rule.
        Folder::gl_SeqNum[p][i] = NextNumberText(r.priNum->text()).toInt();
    }
    Folder::gs_PageName[p] = pageTitle_->text();
}

void Form2::SeqSwitch_Click(int i) {
    Row& r = rows_[i];
    const bool on = r.seqSwitch->isChecked();
    SetBoxState(r.seqName, on);
    SetBoxState(r.priNum, on && GlobalParam::Options.owMemIndSeqNum == 1);
    Folder::gi_SeqSwitch[Folder::gl_PageNum][i] = on ? 1 : 0;
}

void Form2::fSeqName_Change(int i) {
    Folder::gs_SeqName[Folder::gl_PageNum][i] = rows_[i].seqName->text();
}

bool Form2::PriNum_KeyPress(int, QChar ch) const {
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QChar(8);
}

void Form2::PriNum_Change(int i) {
    QLineEdit* box = rows_[i].priNum;
    const QString text = box->text();
    const QString normal = NextNumberText(text);
    if (normal == text) return;
    // The caret keeps its distance from the end, so typing in the middle stays in place.
    const int fromEnd = text.size() - box->cursorPosition();
    box->setText(normal);  // a change itself: the next pass finds it settled
    box->setCursorPosition(qBound(0, int(normal.size()) - fromEnd, int(normal.size())));
}

void Form2::Command2_Click(int i) {
    const int32_t p = Folder::gl_PageNum;
    Row& r = rows_[i];
    Folder::gs_FolderPath[p][i].clear();
    Folder::gs_FolderTitle[p][i].clear();
    r.title->clear();
    r.path->clear();
    r.seqName->clear();
    r.seqSwitch->setChecked(false);
    r.priNum->setText(QStringLiteral("0"));
    SeqSwitch_Click(i);
}

void Form2::GetBtn_Click(int i) {
    if (!services_.pickers) return;
    const std::optional<QString> chosen = DesktopFolders::BrowseForFolderPath(*services_.pickers, this);
    if (!chosen) return;
    if (LineBreakGuard::HasLineBreak(*chosen)) {
        if (services_.msgBox) services_.msgBox->Show(LineBreakGuard::Message());
        return;
    }
    Folder::gs_FolderPath[Folder::gl_PageNum][i] = *chosen;
    rows_[i].path->setText(*chosen);
}

bool Form2::fTitle_OLEDragOver(int i, const QMimeData* data) const {
    return fNameLabel_OLEDragOver(i, data);
}

bool Form2::fNameLabel_OLEDragOver(int, const QMimeData* data) const {
    return IsExistingFolder(FirstDroppedPath(data));
}

QString Form2::DroppedFolder(const QMimeData* data) {
    QString path = FirstDroppedPath(data);
    if (!IsExistingFolder(path)) return QString();
    if (LineBreakGuard::HasLineBreak(path)) {
        if (services_.msgBox) services_.msgBox->Show(LineBreakGuard::Message());
        return QString();
    }
    Module1::LastPathComponent(path);  // for its final "/"
    return path;
}

void Form2::fTitle_OLEDragDrop(int i, const QMimeData* data) {
    QString path = DroppedFolder(data);
    if (path.isEmpty()) return;
    rows_[i].title->setText(Module1::LastPathComponent(path));
    Folder::gs_FolderPath[Folder::gl_PageNum][i] = path;
    rows_[i].path->setText(path);
}

void Form2::fNameLabel_OLEDragDrop(int i, const QMimeData* data) {
    const QString path = DroppedFolder(data);
    if (path.isEmpty()) return;
    Folder::gs_FolderPath[Folder::gl_PageNum][i] = path;
    rows_[i].path->setText(path);
}
