#pragma once
#include <QDialog>
#include <QString>

#include <array>

#include "FolderLibrary.h"
#include "Options.h"
#include "Services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The options dialog: three settings pages chosen from a tree, edits kept in WorkingOptions
// until "決定" copies them into its options and adjusts the next numbers of its library's
// slots; the owner then takes both back (accepted()) and has them saved. "キャンセル" or the
// title bar's close changes nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // The options the dialog edits: the record's own fields (fitToView is not one of them and
    // is left as it is).
    using Working = Options;

    // Edits copies of `options` and `library`.
    OptionsDialog(const Services& services, const Options& options, const FolderLibrary& library,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

    void resetOptionPage();
    // Builds the page of "update", "delete" or "interface"; the page on display or any other
    // key changes nothing.
    void showOptionPage(const QString& key);
    // Reads the page on display into WorkingOptions. A list showing no entry (its stored value
    // lies outside the list) keeps the working value.
    void storeOptionPage();
    void optionPageChosen(const QString& key);
    // "決定": takes the edits, adjusts the next numbers (adjustNextNumbers), accepts.
    void okClicked();
    // "キャンセル": changes nothing.
    void cancelClicked();

    const Working& workingOptions() const { return working_; }
    // The options and the library as "決定" left them (as given before it).
    const Options& options() const { return options_; }
    const FolderLibrary& library() const { return library_; }
    const QString& currentPageKey() const { return currentPageKey_; }

    QTreeWidget* pageTree() const { return pageTree_; }
    QLabel* pageHeading() const { return pageHeading_; }
    // The page's captions from the top, 0..5; those it does not use are hidden.
    QLabel* caption(int i) const { return captions_[i]; }
    // The pages share three lists: each accessor gives the one its page shows, which means
    // that option while that page is on display.
    QComboBox* collisionModeBox() const { return lists_[0]; }    // "update"
    QComboBox* numberDigitsBox() const { return lists_[1]; }     // "update"
    QComboBox* firstNumberBox() const { return lists_[2]; }      // "update"
    QComboBox* deleteModeBox() const { return lists_[0]; }       // "delete"
    QComboBox* confirmDeleteBox() const { return lists_[1]; }    // "delete"
    QComboBox* arrowKeysBox() const { return lists_[0]; }        // "interface"
    QLineEdit* connectorBox() const { return connectorBox_; }
    QCheckBox* continueNumbersBox() const { return continueNumbersBox_; }
    // Orvane's own switches, on the "interface" page; their texts wrap in a label beside them.
    QCheckBox* extraFormatsBox() const { return extraFormatsBox_; }
    QCheckBox* transferLogBox() const { return transferLogBox_; }
    QCheckBox* companionsBox() const { return companionsBox_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void startUp();
    void buildOptionTree();
    void buildWidgets();
    void placeCaption(int i, const QString& text, int left, int top, int width, bool right);
    void placeList(int i, const QStringList& entries, int value, int left, int top, int width);
    int16_t pickedValue(int i, int16_t keep) const;
    QCheckBox* addSwitch(const QString& objectName, const QString& text);
    void placeSwitch(QCheckBox* box, bool checked, int top);

    Services services_;
    Options options_;
    FolderLibrary library_;
    Working working_;
    QString currentPageKey_;

    QTreeWidget* pageTree_ = nullptr;
    QLabel* pageHeading_ = nullptr;
    std::array<QLabel*, 6> captions_{};
    std::array<QComboBox*, 3> lists_{};
    QLineEdit* connectorBox_ = nullptr;
    QCheckBox* continueNumbersBox_ = nullptr;
    QCheckBox* extraFormatsBox_ = nullptr;
    QCheckBox* transferLogBox_ = nullptr;
    QCheckBox* companionsBox_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
