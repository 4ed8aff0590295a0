#pragma once
#include <QWidget>

#include "core/FolderLibrary.h"

class QPlainTextEdit;
class QPushButton;

// A small inspection window that reports the current page's index and name. Nothing in the
// program opens it; the main window closes any that is open when it closes itself. It reads
// the library it is given, which must outlive it, at each report.
class PageReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit PageReportWindow(const FolderLibrary& library, QWidget* parent = nullptr);

    // Replaces the text of the report box with the two report lines, each ending in CR LF.
    void writeReport();
    // The report the button writes.
    static QString reportText(const FolderLibrary& library);
    // Closes every open inspection window (the main window's unload).
    static void closeAll();

    QPlainTextEdit* reportText() const { return reportText_; }
    QPushButton* reportButton() const { return reportButton_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    const FolderLibrary& library_;

    QPushButton* reportButton_ = nullptr;
    QPlainTextEdit* reportText_ = nullptr;
};
