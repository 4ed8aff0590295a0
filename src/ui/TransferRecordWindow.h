#pragma once
#include <QWidget>

#include <functional>

#include "core/TransferRecord.h"

class MsgBox;
class QTreeWidget;
class TransferRecorder;

// This run's transfers, deletes and undos, newest first: time, action, file name, from, to.
// Enter (or a double click) on a row opens the folder the file is in now in the desktop's file
// manager. Follows the recorder, which must outlive it, while it is open.
class TransferRecordWindow : public QWidget {
    Q_OBJECT
public:
    using ShowFolder = std::function<bool(const QString& folder)>;
    TransferRecordWindow(const TransferRecorder& recorder, ShowFolder showFolder, MsgBox& msg,
                         QWidget* parent = nullptr);

    QTreeWidget* rows() const { return rows_; }

private:
    void addRow(const TransferRecord::Entry& entry);
    void openFolderOf(int row);

    ShowFolder showFolder_;
    MsgBox& msg_;
    QTreeWidget* rows_ = nullptr;
    // The entries shown, oldest first; row r shows entries_[size - 1 - r].
    std::vector<TransferRecord::Entry> entries_;
};
