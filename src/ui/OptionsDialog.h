#pragma once
#include <QDialog>
#include <QString>

#include "core/FolderLibrary.h"
#include "core/Options.h"
#include "desktop/Services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QWidget;

// The options dialog: three settings pages chosen from a tree, each option a widget of its own
// named after it ("collisionMode", "numberDigits", "firstNumber", "connector",
// "continueNumbers", "deleteMode", "confirmDelete", "arrowKeys", "extraFormats", "transferLog",
// "companions"). "決定" copies the widgets into its options and adjusts the next numbers of its
// library's slots; the owner then takes both back (accepted()) and has them saved. "キャンセル"
// or the title bar's close changes nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Edits copies of `options` and `library`.
    OptionsDialog(const Services& services, const Options& options, const FolderLibrary& library,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Shows the page of "update", "delete" or "interface"; any other key changes nothing.
    void optionPageChosen(const QString& key);
    // "決定": takes the widgets' values, adjusts the next numbers (adjustNextNumbers), accepts.
    void okClicked();
    // "キャンセル": changes nothing.
    void cancelClicked();

    // The options and the library as "決定" left them (as given before it).
    const Options& options() const { return options_; }
    const FolderLibrary& library() const { return library_; }
    const QString& currentPageKey() const { return currentPageKey_; }

    QTreeWidget* pageTree() const { return pageTree_; }
    QLabel* pageHeading() const { return pageHeading_; }

private:
    void buildOptionTree();
    QWidget* buildUpdatePage();
    QWidget* buildDeletePage();
    QWidget* buildInterfacePage();
    void chainTabOrder();
    void showValues(const Options& o);
    // Widgets of a page, placed in the dialog's coordinates.
    QLabel* addCaption(QWidget* page, const QString& name, const QString& text, int left, int top,
                       int width = 0, bool right = false);
    QComboBox* addList(QWidget* page, const QString& name, const QStringList& entries, int left, int top,
                       int width);
    QCheckBox* addSwitch(QWidget* page, const QString& name, const QString& text, int top);

    Services services_;
    Options options_;
    FolderLibrary library_;
    QString currentPageKey_;

    QTreeWidget* pageTree_ = nullptr;
    QLabel* pageHeading_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    // "update"
    QComboBox* collisionModeBox_ = nullptr;
    QLineEdit* connectorBox_ = nullptr;
    QComboBox* numberDigitsBox_ = nullptr;
    QComboBox* firstNumberBox_ = nullptr;
    QCheckBox* continueNumbersBox_ = nullptr;
    // "delete"
    QComboBox* deleteModeBox_ = nullptr;
    QComboBox* confirmDeleteBox_ = nullptr;
    // "interface", with Orvane's own switches whose texts wrap in a label beside them
    QComboBox* arrowKeysBox_ = nullptr;
    QCheckBox* extraFormatsBox_ = nullptr;
    QCheckBox* transferLogBox_ = nullptr;
    QCheckBox* companionsBox_ = nullptr;

    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
