#pragma once
#include <QDialog>

#include <vector>

#include "core/FolderLibrary.h"

class QLineEdit;
class QListWidget;

// Any page in two keys: a small window listing every page as "number: name" (numbered from 1,
// as the overview's heading counts them) with the current one selected. Typing keeps the pages
// whose number starts with, or whose name holds, the text; Up and Down move in the list; Enter
// takes the selected page, Escape keeps the current one.
class PageChooser : public QDialog {
    Q_OBJECT
public:
    explicit PageChooser(const FolderLibrary& library, QWidget* parent = nullptr);

    // The selected page (from 0), -1 when the filter keeps none.
    int chosenPage() const;

    // The pages `text` keeps, in order (letter case ignored; blanks at its ends too).
    static std::vector<int> matchingPages(const FolderLibrary& library, const QString& text);

    QLineEdit* filterBox() const { return filter_; }
    QListWidget* pageList() const { return list_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter(const QString& text);
    void takeSelected();

    const FolderLibrary& library_;
    QLineEdit* filter_ = nullptr;
    QListWidget* list_ = nullptr;
};
