#include "ui/PageListModel.h"

PageListModel::PageListModel(FolderLibrary& library, QObject* parent)
    : QAbstractListModel(parent), library_(library) {}

int PageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : library_.pageCount();
}

QVariant PageListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.parent().isValid() || !library_.hasPage(index.row())) return {};
    if (hasTypedName_ && index.row() == library_.currentPage()) return typedName_;
    return library_.page(index.row()).name;
}

void PageListModel::showTypedName(const QString& name) {
    hasTypedName_ = true;
    typedName_ = name;
    const QModelIndex entry = index(library_.currentPage());
    emit dataChanged(entry, entry, {Qt::DisplayRole});
}

void PageListModel::clearTypedName() {
    if (!hasTypedName_) return;
    hasTypedName_ = false;
    typedName_.clear();
    const QModelIndex entry = index(library_.currentPage());
    emit dataChanged(entry, entry, {Qt::DisplayRole});
}

FolderLibrary::PageChange PageListModel::addPage(int pos) {
    beginResetModel();
    const FolderLibrary::PageChange change = library_.addPage(pos);
    endResetModel();
    return change;
}

FolderLibrary::PageChange PageListModel::deletePage(int pos) {
    beginResetModel();
    const FolderLibrary::PageChange change = library_.deletePage(pos);
    endResetModel();
    return change;
}

bool PageListModel::movePage(int from, int direction) {
    const int to = from + direction;
    if (!library_.hasPage(from) || !library_.hasPage(to)) return false;
    // Qt names the place before which the row lands, in the rows as they were.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), direction < 0 ? to : to + 1);
    library_.swapPages(from, to);
    endMoveRows();
    return true;
}
