#pragma once
#include <QDialog>
#include <QString>

#include <array>

#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "desktop/Services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QMimeData;
class QPushButton;
class PageListModel;

// The shortcut-folder editor: the page list and page operations at the left, the ten folder
// slots of the current page as ten rows at the right. It edits its own copy of the library,
// which its owner takes back once the editor is done (there is no cancel) and has saved;
// closing, however it happens, stores the shown page. The editor writes no file.
class FolderEditorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 10;

    // Builds the window and loads a copy of `library` into it (the list, the current page's
    // rows). `options` decides whether the next numbers can be edited.
    FolderEditorDialog(const Services& services, const FolderLibrary& library, const Options& options,
                       QWidget* parent = nullptr);
    ~FolderEditorDialog() override;

    // Fills the page-count label, the title and the ten rows from the current page.
    void showPage();
    // Writes the title and the rows' display names, paths and next numbers into the current
    // page. The switch and the fixed name are written through as they change.
    void storePage();

    // Slot-row events, given the row (slot) index 0..9.
    void renamingClicked(int i);  // the switch rule: boxes enabled and coloured, slot's renaming
    void fixedNameChanged(int i);
    // False when the typed character is discarded: only "0".."9" and Backspace pass.
    bool nextNumberKeyPress(int i, QChar ch) const;
    void nextNumberChanged(int i);
    void clearClicked(int i);   // "クリア"
    void browseClicked(int i);  // "参照"
    // Whether a drag over the box may be dropped: a file list whose first entry is an
    // existing folder.
    bool titleAcceptsDrop(int i, const QMimeData* dropped) const;
    bool folderAcceptsDrop(int i, const QMimeData* dropped) const;
    void titleDropped(int i, const QMimeData* dropped);
    void folderDropped(int i, const QMimeData* dropped);

    // Page-side events. The list's current entry moved: a move away from the current page is
    // the user's choice of a page; the editor's own settings of the entry change nothing.
    void pageListClicked();
    // A character typed into the list: "-" and "+" step the selection; every character is
    // discarded afterwards.
    void pageListKeyPressed(QChar ch);
    void pageNameChanged();
    void addPageClicked();       // "新規"
    void deletePageClicked();    // "削除"
    void movePageUpClicked();    // "▲"
    void movePageDownClicked();  // "▼"
    void closeClicked();         // "閉じる"

    // True while the editor itself fills the rows: their change signals then come from the
    // library, not from the user.
    bool fillingFromLibrary() const { return fillingFromLibrary_; }
    // The library as edited so far: after closing, everything the editor stored.
    const FolderLibrary& library() const { return library_; }

    // The text a next-number box holds after its change rule: the value of its leading
    // digits modulo 1000001, computed exactly however many digits were pasted; "0" for none.
    static QString nextNumberText(const QString& text);
    // "ページ数 5 / 250" for five pages: each number after one sign blank.
    static QString pageCountCaption(int pageCount);

    // The controls, for the event routing and the tests; a row is a slot index 0..9.
    QLineEdit* titleBox(int row) const { return rows_[row].title; }
    QLineEdit* folderBox(int row) const { return rows_[row].folder; }
    QCheckBox* renamingSwitch(int row) const { return rows_[row].renaming; }
    QLineEdit* fixedNameBox(int row) const { return rows_[row].fixedName; }
    QLineEdit* nextNumberBox(int row) const { return rows_[row].nextNumber; }
    QPushButton* browseButton(int row) const { return rows_[row].browse; }
    QPushButton* clearButton(int row) const { return rows_[row].clear; }
    QListView* pageList() const { return pageList_; }
    QLineEdit* pageNameBox() const { return pageNameBox_; }
    QLabel* pageCountLabel() const { return pageCountLabel_; }

protected:
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        QLabel* number = nullptr;
        QLineEdit* title = nullptr;
        QPushButton* browse = nullptr;
        QPushButton* clear = nullptr;
        QLineEdit* folder = nullptr;
        QCheckBox* renaming = nullptr;
        QLineEdit* fixedName = nullptr;
        QLineEdit* nextNumber = nullptr;
    };

    void buildWidgets();
    QWidget* buildRows();
    QWidget* buildPageSide();
    void startUp();
    void shutDown();
    // Makes the current page's entry the list's current and selected one.
    void selectCurrentEntry();
    // "▲" (-1) and "▼" (+1): the current page changes places with its neighbour and stays
    // current; at either end nothing happens, not even a store.
    void movePage(int direction);
    // Slot `i` of the page shown.
    Slot& shownSlot(int i) { return library_.current().folderSlots[static_cast<size_t>(i)]; }
    // Shows the message for a refused page operation; true when it was done.
    bool pageChangeDone(FolderLibrary::PageChange change);
    // A dropped folder path, ending in "/", or empty when the drop must change nothing.
    QString droppedFolder(const QMimeData* dropped);

    Services services_;
    FolderLibrary library_;
    Options options_;
    std::array<Row, kRows> rows_{};
    QListView* pageList_ = nullptr;
    PageListModel* pageModel_ = nullptr;
    QLineEdit* pageNameBox_ = nullptr;
    QLabel* pageCountLabel_ = nullptr;
    QPushButton* moveUpButton_ = nullptr;
    QPushButton* moveDownButton_ = nullptr;
    QPushButton* addPageButton_ = nullptr;
    QPushButton* deletePageButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    bool fillingFromLibrary_ = false;
    bool closed_ = false;
};
