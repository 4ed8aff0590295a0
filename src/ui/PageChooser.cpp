#include "ui/PageChooser.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

PageChooser::PageChooser(const FolderLibrary& library, QWidget* parent)
    : QDialog(parent), library_(library) {
    setObjectName(QStringLiteral("PageChooser"));
    setWindowTitle(QStringLiteral("ページを選ぶ"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("番号か名前の一部を入力して Enter"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("pageFilter"));
    filter_->setClearButtonEnabled(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("pageList"));
    // The keyboard stays in the filter box, which passes the moving keys on to the list.
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setUniformItemSizes(true);
    layout->addWidget(hint);
    layout->addWidget(filter_);
    layout->addWidget(list_);
    for (int p = 0; p < library.pageCount(); ++p) {
        auto* item = new QListWidgetItem(QStringLiteral("%1: %2").arg(p + 1).arg(library.page(p).name), list_);
        item->setData(Qt::UserRole, p);
    }
    applyFilter(QString());
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, &PageChooser::applyFilter);
    connect(filter_, &QLineEdit::returnPressed, this, &PageChooser::takeSelected);
    connect(list_, &QListWidget::itemActivated, this, &PageChooser::takeSelected);
    resize(360, 440);
}

std::vector<int> PageChooser::matchingPages(const FolderLibrary& library, const QString& text) {
    const QString wanted = text.trimmed();
    std::vector<int> pages;
    for (int p = 0; p < library.pageCount(); ++p)
        if (wanted.isEmpty() || QString::number(p + 1).startsWith(wanted) ||
            library.page(p).name.contains(wanted, Qt::CaseInsensitive))
            pages.push_back(p);
    return pages;
}

void PageChooser::applyFilter(const QString& text) {
    const std::vector<int> kept = matchingPages(library_, text);
    for (int row = 0; row < list_->count(); ++row) list_->item(row)->setHidden(true);
    for (int p : kept) list_->item(p)->setHidden(false);
    // Nothing typed: the current page. A number typed whole: that page. Else the first kept.
    int selected = -1;
    bool number = false;
    const int typed = text.trimmed().toInt(&number);
    if (text.trimmed().isEmpty())
        selected = library_.currentPage();
    else if (number && library_.hasPage(typed - 1))
        selected = typed - 1;
    else if (!kept.empty())
        selected = kept.front();
    if (selected >= 0 && selected < list_->count()) {
        list_->setCurrentRow(selected);
        list_->scrollToItem(list_->item(selected), QAbstractItemView::PositionAtCenter);
    } else {
        list_->setCurrentRow(-1);
    }
}

int PageChooser::chosenPage() const {
    const QListWidgetItem* item = list_->currentItem();
    if (!item || item->isHidden()) return -1;
    return item->data(Qt::UserRole).toInt();
}

void PageChooser::takeSelected() {
    if (chosenPage() >= 0) accept();
}

bool PageChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QKeyEvent copy(QEvent::KeyPress, key, static_cast<QKeyEvent*>(event)->modifiers());
            QCoreApplication::sendEvent(list_, &copy);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
