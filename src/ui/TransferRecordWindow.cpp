#include "ui/TransferRecordWindow.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/FileSystem.h"
#include "platform/MsgBox.h"
#include "ui/TransferRecorder.h"

using TransferRecord::Entry;
using TransferRecord::Kind;

namespace {

QString folderText(const QString& path) { return FsPath::withSlash(FsPath::folderOf(path)); }

// Where the file went: its folder, or the whole path when it has another name there.
QString toText(const Entry& e) {
    if (e.kind == Kind::Deleted) return QString();
    if (e.kind == Kind::Trashed) return QStringLiteral("ごみ箱");
    if (e.destination.isEmpty()) return QString();
    return FsPath::nameOf(e.destination) == e.fileName() ? folderText(e.destination) : e.destination;
}

QString fromText(const Entry& e) {
    if (e.kind == Kind::Undone && FsPath::nameOf(e.source) != e.fileName()) return e.source;
    return e.source.isEmpty() ? QString() : folderText(e.source);
}

}  // namespace

TransferRecordWindow::TransferRecordWindow(const TransferRecorder& recorder, ShowFolder showFolder, MsgBox& msg,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), showFolder_(std::move(showFolder)), msg_(msg) {
    setObjectName(QStringLiteral("TransferRecordWindow"));
    setWindowTitle(QStringLiteral("転送履歴"));
    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("recordRows"));
    rows_->setRootIsDecorated(false);
    rows_->setUniformRowHeights(true);
    // A long path keeps its last folders in view.
    rows_->setTextElideMode(Qt::ElideMiddle);
    rows_->setHeaderLabels({QStringLiteral("時刻"), QStringLiteral("操作"), QStringLiteral("ファイル名"),
                            QStringLiteral("転送元"), QStringLiteral("転送先")});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rows_);
    for (const Entry& e : recorder.entries()) addRow(e);
    rows_->setCurrentItem(rows_->topLevelItem(0));
    for (int c = 0; c < 3; ++c) rows_->resizeColumnToContents(c);
    rows_->setColumnWidth(3, 260);
    connect(&recorder, &TransferRecorder::added, this, [this](const Entry& e) {
        addRow(e);
        if (rows_->currentItem() == nullptr || rows_->indexOfTopLevelItem(rows_->currentItem()) == 1)
            rows_->setCurrentItem(rows_->topLevelItem(0));
    });
    connect(rows_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openFolderOf(rows_->indexOfTopLevelItem(item)); });
    resize(820, 360);
}

void TransferRecordWindow::addRow(const Entry& e) {
    entries_.push_back(e);
    // A tab or a line break in a name shows as the record file writes it, on one line.
    using TransferRecord::escaped;
    auto* item = new QTreeWidgetItem(QStringList{e.time.toString(QStringLiteral("HH:mm:ss")),
                                                 TransferRecord::kindName(e.kind), escaped(e.fileName()),
                                                 escaped(fromText(e)), escaped(toText(e))});
    item->setToolTip(3, escaped(e.source));
    item->setToolTip(4, escaped(e.destination));
    rows_->insertTopLevelItem(0, item);
}

void TransferRecordWindow::openFolderOf(int row) {
    if (row < 0 || row >= int(entries_.size())) return;
    const QString folder = entries_[entries_.size() - 1 - size_t(row)].folderNow();
    if (!QFileInfo(folder).isDir()) {
        msg_.ask(QStringLiteral("フォルダが見つかりません。\n") + folder);
        return;
    }
    if (!showFolder_(folder)) msg_.ask(QStringLiteral("フォルダを開けませんでした。\n") + folder);
}
