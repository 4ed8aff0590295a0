#pragma once
#include <QDialog>
#include <QString>

#include <array>
#include <functional>

#include "FolderLibrary.h"
#include "OptionFiles.h"
#include "Options.h"
#include "Services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The options dialog: three settings pages chosen from a tree, edits kept in WorkingOptions
// until "決定" copies them into its options, adjusts the next numbers of its library's slots
// and writes the options file; the owner then takes both back (accepted()). "キャンセル" or
// the title bar's close changes and writes nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // The options the dialog edits: the record's own fields (fitToView is not one of them and
    // is left as it is).
    using Working = Options;

    // Edits copies of `options` and `library`. `placement` gives the main window's
    // placement, which the options file also holds.
    OptionsDialog(const Services& services, const QString& programDir, const Options& options,
              const FolderLibrary& library, std::function<WindowPlacement()> placement,
              QWidget* parent = nullptr);
    ~OptionsDialog() override;

    void ResetOptionPage();
    // Builds the page of "update", "delete" or "interface"; the page on display or any other
    // key changes nothing.
    void ShowOptionPage(const QString& key);
    // Reads the page on display into WorkingOptions. A list showing no entry (its stored value
    // lies outside the list) keeps the working value.
    void StoreOptionPage();
    void optionPageChosen(const QString& key);
    // 0 "決定", 1 "キャンセル".
    void buttonClicked(int index);

    const Working& WorkingOptions() const { return working_; }
    // The options and the library as "決定" left them (as given before it).
    const Options& options() const { return options_; }
    const FolderLibrary& library() const { return library_; }
    const QString& CurrentPageKey() const { return currentPageKey_; }

    QTreeWidget* TreeView1() const { return tree_; }
    QLabel* Label2() const { return heading_; }
    QLabel* Label1(int i) const { return label1_[i]; }
    QComboBox* Combo1(int i) const { return combo1_[i]; }
    QLineEdit* connectorBox() const { return connectorBox_; }
    QCheckBox* Check1() const { return check1_; }
    QPushButton* Command1(int i) const { return command1_[i]; }

private:
    void startUp();
    void BuildOptionTree();
    void BuildWidgets();
    void PlaceLabel(int i, const QString& text, int left, int top, int width, bool right);
    void PlaceCombo(int i, const QStringList& entries, int value, int left, int top, int width);
    int16_t PickedValue(int i, int16_t keep) const;

    Services services_;
    QString programDir_;
    Options options_;
    FolderLibrary library_;
    std::function<WindowPlacement()> placement_;
    Working working_;
    QString currentPageKey_;

    QTreeWidget* tree_ = nullptr;
    QLabel* heading_ = nullptr;
    std::array<QLabel*, 6> label1_{};
    std::array<QComboBox*, 3> combo1_{};
    QLineEdit* connectorBox_ = nullptr;
    QCheckBox* check1_ = nullptr;
    std::array<QPushButton*, 2> command1_{};
};
