#include "OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "LineBreakGuard.h"
#include "NextNumbers.h"

namespace {

constexpr int kClientWidth = 416;
constexpr int kClientHeight = 271;
constexpr int kPooledWidth = 225;
constexpr int kComboHeight = 22;
constexpr int kTextHeight = 21;
constexpr int kLabelHeight = 17;

const QString kUpdate = QStringLiteral("update");
const QString kDelete = QStringLiteral("delete");
const QString kInterface = QStringLiteral("interface");

// The text of a switch too long for one line of the page: a label that wraps, and a click on
// it toggles its box as a click on the box's own text would.
class SwitchLabel : public QLabel {
public:
    SwitchLabel(const QString& text, QCheckBox* box, QWidget* parent) : QLabel(text, parent), box_(box) {
        setWordWrap(true);
        setBuddy(box);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (box_->isEnabled()) box_->click();
    }

private:
    QCheckBox* box_;
};

}  // namespace

OptionsDialog::OptionsDialog(const Services& services, const Options& options, const FolderLibrary& library,
                             QWidget* parent)
    : QDialog(parent), services_(services), options_(options), library_(library) {
    setObjectName(QStringLiteral("OptionsDialog"));
    buildWidgets();
    startUp();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::buildWidgets() {
    setFixedSize(kClientWidth, kClientHeight);

    pageTree_ = new QTreeWidget(this);
    pageTree_->setObjectName(QStringLiteral("pageTree"));
    pageTree_->setGeometry(8, 8, 137, 241);
    pageTree_->setHeaderHidden(true);
    pageTree_->setColumnCount(1);
    pageTree_->setRootIsDecorated(false);

    pageHeading_ = new QLabel(this);
    pageHeading_->setObjectName(QStringLiteral("pageHeading"));
    pageHeading_->setGeometry(160, 8, 249, kLabelHeight + 2);
    pageHeading_->setIndent(4);
    pageHeading_->setAutoFillBackground(true);
    QPalette band = pageHeading_->palette();
    band.setColor(QPalette::Window, band.color(QPalette::Highlight));
    band.setColor(QPalette::WindowText, band.color(QPalette::HighlightedText));
    pageHeading_->setPalette(band);
    QFont bold = pageHeading_->font();
    bold.setBold(true);
    pageHeading_->setFont(bold);

    // The captions and lists the three pages share; each page places the ones it uses.
    for (int i = 0; i < 6; ++i) {
        captions_[i] = new QLabel(this);
        captions_[i]->setObjectName(QStringLiteral("caption_") + QString::number(i));
    }
    for (int i = 0; i < 3; ++i) {
        lists_[i] = new QComboBox(this);
        lists_[i]->setObjectName(QStringLiteral("list_") + QString::number(i));
        lists_[i]->setEditable(false);
    }
    connectorBox_ = new QLineEdit(this);
    connectorBox_->setObjectName(QStringLiteral("connector"));
    LineBreakGuard::attachNamePart(connectorBox_, services_.msgBox);
    continueNumbersBox_ = new QCheckBox(this);
    continueNumbersBox_->setObjectName(QStringLiteral("continueNumbers"));
    // A value other than 0 and 1 shows as the third state; once clicked the box is two-state.
    connect(continueNumbersBox_, &QCheckBox::clicked, this,
            [this] { continueNumbersBox_->setTristate(false); });

    extraFormatsBox_ = addSwitch(QStringLiteral("extraFormats"),
                                 QStringLiteral("その他の画像形式も表示する (.jpeg .webp .tif .heic .avif RAW)"));
    transferLogBox_ = addSwitch(QStringLiteral("transferLog"),
                                QStringLiteral("転送の記録をファイルに残す (config/転送記録.tsv)"));
    companionsBox_ = addSwitch(QStringLiteral("companions"),
                               QStringLiteral("同じ名前の付属ファイル (RAW・XMP・AAE・MOV) も一緒に扱う"));

    okButton_ = new QPushButton(QStringLiteral("決定"), this);
    okButton_->setObjectName(QStringLiteral("ok"));
    okButton_->setGeometry(256, 240, 73, 25);
    connect(okButton_, &QPushButton::clicked, this, [this] { okClicked(); });
    cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    cancelButton_->setGeometry(336, 240, 73, 25);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelClicked(); });
    for (QPushButton* button : {okButton_, cancelButton_}) button->setAutoDefault(false);

    connect(pageTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item) optionPageChosen(item->data(0, Qt::UserRole).toString());
    });
    // Keyboard moves in the tree choose a node as a click does.
    connect(pageTree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) optionPageChosen(item->data(0, Qt::UserRole).toString());
    });
}

QCheckBox* OptionsDialog::addSwitch(const QString& objectName, const QString& text) {
    auto* box = new QCheckBox(this);
    box->setObjectName(objectName);
    box->setAccessibleName(text);
    auto* label = new SwitchLabel(text, box, this);
    label->setObjectName(objectName + QStringLiteral("Text"));
    box->hide();
    label->hide();
    return box;
}

void OptionsDialog::placeSwitch(QCheckBox* box, bool checked, int top) {
    constexpr int kBoxWidth = 20;
    constexpr int kTextWidth = kClientWidth - 8 - 168 - kBoxWidth;
    box->setChecked(checked);
    box->setGeometry(168, top, kBoxWidth, kLabelHeight + 4);
    box->show();
    auto* label = findChild<QLabel*>(box->objectName() + QStringLiteral("Text"));
    label->setGeometry(168 + kBoxWidth, top + 2, kTextWidth, label->heightForWidth(kTextWidth));
    label->show();
}

void OptionsDialog::startUp() {
    working_ = options_;

    currentPageKey_.clear();
    showOptionPage(kUpdate);
    buildOptionTree();
    {
        const QSignalBlocker block(pageTree_);
        pageTree_->setCurrentItem(pageTree_->topLevelItem(0));
    }
    setWindowTitle(QStringLiteral("オプション"));
}

void OptionsDialog::buildOptionTree() {
    const std::pair<QString, QString> nodes[] = {
        {kUpdate, QStringLiteral("転送処理")},
        {kDelete, QStringLiteral("削除処理")},
        {kInterface, QStringLiteral("操作")},
    };
    for (const auto& [key, caption] : nodes) {
        auto* item = new QTreeWidgetItem(pageTree_, QStringList{caption});
        item->setData(0, Qt::UserRole, key);
    }
}

void OptionsDialog::resetOptionPage() {
    pageHeading_->setText(QString());
    // Not with signals blocked: the guard of the box must see the text it may go back to.
    connectorBox_->setText(QString());
    connectorBox_->hide();
    connectorBox_->setEnabled(true);
    connectorBox_->resize(kPooledWidth, kTextHeight);
    continueNumbersBox_->setText(QString());
    continueNumbersBox_->hide();
    continueNumbersBox_->setTristate(false);
    continueNumbersBox_->setChecked(false);
    for (QCheckBox* box : {extraFormatsBox_, transferLogBox_, companionsBox_}) {
        box->hide();
        findChild<QLabel*>(box->objectName() + QStringLiteral("Text"))->hide();
    }
    for (QLabel* label : captions_) {
        label->hide();
        label->setEnabled(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (QComboBox* combo : lists_) {
        combo->hide();
        combo->setEnabled(true);
        combo->resize(kPooledWidth, kComboHeight);
    }
}

void OptionsDialog::placeCaption(int i, const QString& text, int left, int top, int width, bool right) {
    QLabel* label = captions_[i];
    label->setText(text);
    if (right) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Labels without a listed width take their text's width; a right-aligned text wider than
    // its listed width grows to the left, so its right edge stays where it was designed.
    const int needed = label->sizeHint().width();
    if (width <= 0) {
        width = needed;
    } else if (right && needed > width) {
        left -= needed - width;
        width = needed;
    }
    label->setGeometry(left, top, width, kLabelHeight);
    label->show();
}

void OptionsDialog::placeList(int i, const QStringList& entries, int value, int left, int top, int width) {
    QComboBox* combo = lists_[i];
    combo->clear();
    combo->addItems(entries);
    // A stored value outside the list shows no entry and stays as it is unless one is picked.
    combo->setCurrentIndex(value >= 0 && value < entries.size() ? value : -1);
    // A list whose longest entry does not fit the designed width (fonts differ from the
    // design's) grows to the right, up to the dialog's margin.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int needed = combo->sizeHint().width();
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    width = qMax(width, qMin(needed, kClientWidth - 8 - left));
    combo->setGeometry(left, top, width, kComboHeight);
    combo->show();
}

void OptionsDialog::showOptionPage(const QString& key) {
    if (key == currentPageKey_) return;
    if (key != kUpdate && key != kDelete && key != kInterface) return;
    currentPageKey_ = key;
    resetOptionPage();
    const Working& w = working_;
    if (key == kUpdate) {
        pageHeading_->setText(QStringLiteral("転送処理設定"));
        placeCaption(0, QStringLiteral("同名ファイルの処理"), 168, 40, 0, false);
        placeList(0,
                  {QStringLiteral("上書きの問い合わせダイアログを表示"), QStringLiteral("強制的に上書き"),
                   QStringLiteral("末尾に連番を付けて保存")},
                  w.collisionMode, 168, 58, 225);
        placeCaption(1, QStringLiteral("連番転送設定(個別連番転送を含む)"), 168, 98, 200, false);
        placeCaption(2, QStringLiteral("接続文字："), 178, 123, 80, true);
        connectorBox_->setText(w.connector);
        connectorBox_->setGeometry(260, 120, 40, kTextHeight);
        connectorBox_->show();
        placeCaption(3, QStringLiteral("0の桁数："), 178, 148, 80, true);
        placeList(1,
                  {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                   QStringLiteral("5"), QStringLiteral("6")},
                  w.numberDigitsChoice, 260, 145, 40);
        placeCaption(4, QStringLiteral("連番開始番号："), 178, 173, 80, true);
        placeList(2, {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, w.firstNumber, 260,
                  170, 40);
        continueNumbersBox_->setText(QStringLiteral("個別連番転送の最後の番号を記憶"));
        continueNumbersBox_->setGeometry(178, 198, 300, kLabelHeight + 4);  // the window clips it
        if (w.continueNumbers == 0 || w.continueNumbers == 1) {
            continueNumbersBox_->setChecked(w.continueNumbers == 1);
        } else {
            continueNumbersBox_->setTristate(true);
            continueNumbersBox_->setCheckState(Qt::PartiallyChecked);
        }
        continueNumbersBox_->show();
    } else if (key == kDelete) {
        pageHeading_->setText(QStringLiteral("削除処理設定"));
        placeCaption(0, QStringLiteral("削除時の動作"), 168, 40, 0, false);
        placeList(0, {QStringLiteral("ごみ箱の設定に準拠"), QStringLiteral("直接削除")}, w.deleteMode, 168, 58,
                  225);
        placeCaption(1, QStringLiteral("削除警告"), 168, 90, 0, false);
        placeList(1, {QStringLiteral("なし"), QStringLiteral("あり")}, w.confirmDelete, 168, 108, 225);
    } else {
        pageHeading_->setText(QStringLiteral("操作設定"));
        placeCaption(0, QStringLiteral("カーソルキーの設定"), 168, 40, 0, false);
        placeList(0, {QStringLiteral("画像のスライド"), QStringLiteral("↑↓：グループ移動、←→：画像選択")},
                  w.arrowKeyMode, 168, 58, 225);
        placeSwitch(extraFormatsBox_, w.extraFormats, 96);
        placeSwitch(transferLogBox_, w.transferLog, 140);
        placeSwitch(companionsBox_, w.companions, 184);
    }
}

int16_t OptionsDialog::pickedValue(int i, int16_t keep) const {
    const int index = lists_[i]->currentIndex();
    return index >= 0 ? int16_t(index) : keep;
}

void OptionsDialog::storeOptionPage() {
    Working& w = working_;
    if (currentPageKey_ == kUpdate) {
        w.collisionMode = pickedValue(0, w.collisionMode);
        w.connector = connectorBox_->text();
        w.numberDigitsChoice = pickedValue(1, w.numberDigitsChoice);
        w.firstNumber = pickedValue(2, w.firstNumber);
        if (continueNumbersBox_->checkState() != Qt::PartiallyChecked)
            w.continueNumbers = continueNumbersBox_->isChecked() ? 1 : 0;
    } else if (currentPageKey_ == kDelete) {
        w.deleteMode = pickedValue(0, w.deleteMode);
        w.confirmDelete = pickedValue(1, w.confirmDelete);
    } else if (currentPageKey_ == kInterface) {
        w.arrowKeyMode = pickedValue(0, w.arrowKeyMode);
        w.extraFormats = extraFormatsBox_->isChecked();
        w.transferLog = transferLogBox_->isChecked();
        w.companions = companionsBox_->isChecked();
    }
}

void OptionsDialog::optionPageChosen(const QString& key) {
    storeOptionPage();
    showOptionPage(key);
}

void OptionsDialog::cancelClicked() {
    reject();
}

void OptionsDialog::okClicked() {
    storeOptionPage();
    Options& o = options_;
    const bool fitMode = o.fitToView;  // not the dialog's to change
    o = working_;
    o.fitToView = fitMode;
    adjustNextNumbers(library_, o);
    accept();
}
