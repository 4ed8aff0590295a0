#pragma once
#include <QAbstractListModel>
#include <QString>

#include "core/FolderLibrary.h"

// The folder editor's page list: one entry per page of a library, showing its name. Page
// operations go through the model, so a view of it follows every change. The current page's
// entry shows the name being typed for it until the editor stores that name.
class PageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `library` must outlive the model.
    explicit PageListModel(FolderLibrary& library, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The name typed for the current page, shown in its entry; cleared once it is stored.
    void showTypedName(const QString& name);
    void clearTypedName();

    // FolderLibrary::addPage and deletePage. They reset the model: a view then has no current
    // entry until it is given one, so its selection never moves on its own to a neighbour.
    FolderLibrary::PageChange addPage(int pos);
    FolderLibrary::PageChange deletePage(int pos);
    // Exchanges page `from` with its neighbour `from + direction` (-1 or +1); a view's current
    // entry goes with the page. False when there is no such neighbour.
    bool movePage(int from, int direction);

private:
    FolderLibrary& library_;
    bool hasTypedName_ = false;
    QString typedName_;
};
