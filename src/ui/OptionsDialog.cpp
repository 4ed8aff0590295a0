#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>

#include <iterator>

#include "ui/LineBreakGuard.h"
#include "core/NextNumbers.h"

namespace {

constexpr int kClientWidth = 416;
constexpr int kClientHeight = 271;
constexpr int kComboHeight = 22;
constexpr int kTextHeight = 21;
constexpr int kLabelHeight = 17;
// Right of the tree, below the heading, above the buttons: where the pages lie. Widgets are
// placed in the dialog's coordinates and moved into their page by this rectangle's corner.
const QRect kPageArea(148, 30, kClientWidth - 148, 240 - 30);

QRect inPage(int left, int top, int width, int height) {
    return QRect(left - kPageArea.left(), top - kPageArea.top(), width, height);
}

const QString kUpdate = QStringLiteral("update");
const QString kDelete = QStringLiteral("delete");
const QString kInterface = QStringLiteral("interface");

struct PageNode {
    const QString& key;
    QString caption;  // in the tree
    QString heading;
};

const PageNode& pageNode(int index) {
    static const PageNode nodes[] = {
        {kUpdate, QStringLiteral("転送処理"), QStringLiteral("転送処理設定")},
        {kDelete, QStringLiteral("削除処理"), QStringLiteral("削除処理設定")},
        {kInterface, QStringLiteral("操作"), QStringLiteral("操作設定")},
    };
    return nodes[index];
}
constexpr int kPageCount = 3;

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

// The entry a list shows for `index`: none when the value lies outside the list.
void showEntry(QComboBox* list, int index) { list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1); }

// The entry picked, or `keep` while the list shows none.
int pickedEntry(const QComboBox* list, int keep) { return list->currentIndex() >= 0 ? list->currentIndex() : keep; }

}  // namespace

OptionsDialog::OptionsDialog(const Services& services, const Options& options, const FolderLibrary& library,
                             QWidget* parent)
    : QDialog(parent), services_(services), options_(options), library_(library) {
    setObjectName(QStringLiteral("OptionsDialog"));
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

    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->setGeometry(kPageArea);
    pages_->addWidget(buildUpdatePage());
    pages_->addWidget(buildDeletePage());
    pages_->addWidget(buildInterfacePage());

    okButton_ = new QPushButton(QStringLiteral("決定"), this);
    okButton_->setObjectName(QStringLiteral("ok"));
    okButton_->setGeometry(256, 240, 73, 25);
    connect(okButton_, &QPushButton::clicked, this, [this] { okClicked(); });
    cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    cancelButton_->setGeometry(336, 240, 73, 25);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelClicked(); });
    for (QPushButton* button : {okButton_, cancelButton_}) button->setAutoDefault(false);

    chainTabOrder();
    showValues(options_);
    buildOptionTree();
    optionPageChosen(kUpdate);
    setWindowTitle(QStringLiteral("オプション"));
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::buildOptionTree() {
    const QSignalBlocker block(pageTree_);
    for (int i = 0; i < kPageCount; ++i) {
        auto* item = new QTreeWidgetItem(pageTree_, QStringList{pageNode(i).caption});
        item->setData(0, Qt::UserRole, pageNode(i).key);
    }
    pageTree_->setCurrentItem(pageTree_->topLevelItem(0));
    connect(pageTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item) optionPageChosen(item->data(0, Qt::UserRole).toString());
    });
    // Keyboard moves in the tree choose a node as a click does.
    connect(pageTree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) optionPageChosen(item->data(0, Qt::UserRole).toString());
    });
}

QLabel* OptionsDialog::addCaption(QWidget* page, const QString& name, const QString& text, int left, int top,
                                  int width, bool right) {
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
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
    label->setGeometry(inPage(left, top, width, kLabelHeight));
    return label;
}

QComboBox* OptionsDialog::addList(QWidget* page, const QString& name, const QStringList& entries, int left,
                                  int top, int width) {
    auto* list = new QComboBox(page);
    list->setObjectName(name);
    list->setEditable(false);
    list->addItems(entries);
    // A list whose longest entry does not fit the designed width (fonts differ from the
    // design's) grows to the right, up to the dialog's margin.
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int needed = list->sizeHint().width();
    list->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    width = qMax(width, qMin(needed, kClientWidth - 8 - left));
    list->setGeometry(inPage(left, top, width, kComboHeight));
    return list;
}

QCheckBox* OptionsDialog::addSwitch(QWidget* page, const QString& name, const QString& text, int top) {
    constexpr int kLeft = 168;
    constexpr int kBoxWidth = 20;
    constexpr int kTextWidth = kClientWidth - 8 - kLeft - kBoxWidth;
    auto* box = new QCheckBox(page);
    box->setObjectName(name);
    box->setAccessibleName(text);
    box->setGeometry(inPage(kLeft, top, kBoxWidth, kLabelHeight + 4));
    auto* label = new SwitchLabel(text, box, page);
    label->setObjectName(name + QStringLiteral("Text"));
    label->setGeometry(inPage(kLeft + kBoxWidth, top + 2, kTextWidth, label->heightForWidth(kTextWidth)));
    return box;
}

QWidget* OptionsDialog::buildUpdatePage() {
    auto* page = new QWidget;
    page->setObjectName(kUpdate + QStringLiteral("Page"));
    addCaption(page, QStringLiteral("collisionModeCaption"), QStringLiteral("同名ファイルの処理"), 168, 40);
    collisionModeBox_ = addList(page, QStringLiteral("collisionMode"),
                                {QStringLiteral("上書きの問い合わせダイアログを表示"), QStringLiteral("強制的に上書き"),
                                 QStringLiteral("末尾に連番を付けて保存")},
                                168, 58, 225);
    addCaption(page, QStringLiteral("sequenceCaption"), QStringLiteral("連番転送設定(個別連番転送を含む)"), 168, 98,
               200);
    addCaption(page, QStringLiteral("connectorCaption"), QStringLiteral("接続文字："), 178, 123, 80, true);
    connectorBox_ = new QLineEdit(page);
    connectorBox_->setObjectName(QStringLiteral("connector"));
    connectorBox_->setGeometry(inPage(260, 120, 40, kTextHeight));
    LineBreakGuard::attachNamePart(connectorBox_, services_.msgBox);
    addCaption(page, QStringLiteral("numberDigitsCaption"), QStringLiteral("0の桁数："), 178, 148, 80, true);
    numberDigitsBox_ = addList(page, QStringLiteral("numberDigits"),
                               {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                QStringLiteral("5"), QStringLiteral("6")},
                               260, 145, 40);
    addCaption(page, QStringLiteral("firstNumberCaption"), QStringLiteral("連番開始番号："), 178, 173, 80, true);
    firstNumberBox_ = addList(page, QStringLiteral("firstNumber"),
                              {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, 260, 170, 40);
    continueNumbersBox_ = new QCheckBox(QStringLiteral("個別連番転送の最後の番号を記憶"), page);
    continueNumbersBox_->setObjectName(QStringLiteral("continueNumbers"));
    continueNumbersBox_->setGeometry(inPage(178, 198, 300, kLabelHeight + 4));  // the window clips it
    return page;
}

QWidget* OptionsDialog::buildDeletePage() {
    auto* page = new QWidget;
    page->setObjectName(kDelete + QStringLiteral("Page"));
    addCaption(page, QStringLiteral("deleteModeCaption"), QStringLiteral("削除時の動作"), 168, 40);
    deleteModeBox_ = addList(page, QStringLiteral("deleteMode"),
                             {QStringLiteral("ごみ箱の設定に準拠"), QStringLiteral("直接削除")}, 168, 58, 225);
    addCaption(page, QStringLiteral("confirmDeleteCaption"), QStringLiteral("削除警告"), 168, 90);
    confirmDeleteBox_ = addList(page, QStringLiteral("confirmDelete"),
                                {QStringLiteral("なし"), QStringLiteral("あり")}, 168, 108, 225);
    return page;
}

QWidget* OptionsDialog::buildInterfacePage() {
    auto* page = new QWidget;
    page->setObjectName(kInterface + QStringLiteral("Page"));
    addCaption(page, QStringLiteral("arrowKeysCaption"), QStringLiteral("カーソルキーの設定"), 168, 40);
    arrowKeysBox_ = addList(page, QStringLiteral("arrowKeys"),
                            {QStringLiteral("画像のスライド"), QStringLiteral("↑↓：グループ移動、←→：画像選択")},
                            168, 58, 225);
    extraFormatsBox_ = addSwitch(page, QStringLiteral("extraFormats"),
                                 QStringLiteral("その他の画像形式も表示する (.jpeg .webp .tif .heic .avif RAW)"), 96);
    transferLogBox_ = addSwitch(page, QStringLiteral("transferLog"),
                                QStringLiteral("転送の記録をファイルに残す (config/転送記録.tsv)"), 140);
    companionsBox_ = addSwitch(page, QStringLiteral("companions"),
                               QStringLiteral("同じ名前の付属ファイル (RAW・XMP・AAE・MOV) も一緒に扱う"), 184);
    return page;
}

void OptionsDialog::chainTabOrder() {
    // The transfer page's lists come before its connector box, as they always have.
    QWidget* const chain[] = {pageTree_,         collisionModeBox_, numberDigitsBox_, firstNumberBox_,
                              connectorBox_,     continueNumbersBox_, deleteModeBox_, confirmDeleteBox_,
                              arrowKeysBox_,     extraFormatsBox_,  transferLogBox_,  companionsBox_,
                              okButton_,         cancelButton_};
    for (size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void OptionsDialog::showValues(const Options& o) {
    // Not with signals blocked: the guard of the connector box must see the text it may go
    // back to.
    connectorBox_->setText(o.connector);
    static_assert(int(CollisionMode::Number) == 2, "the list's entries are the modes in order");
    showEntry(collisionModeBox_, static_cast<int>(o.collisionMode));
    showEntry(numberDigitsBox_, o.numberDigits - 1);
    showEntry(firstNumberBox_, o.firstNumber);
    continueNumbersBox_->setChecked(o.continueNumbers);
    showEntry(deleteModeBox_, o.deleteMode == DeleteMode::ToTrash ? 0 : 1);
    showEntry(confirmDeleteBox_, o.confirmDelete ? 1 : 0);
    showEntry(arrowKeysBox_, o.arrowKeys == ArrowKeys::Slide ? 0 : o.arrowKeys == ArrowKeys::PagesAndFiles ? 1 : -1);
    extraFormatsBox_->setChecked(o.extraFormats);
    transferLogBox_->setChecked(o.transferLog);
    companionsBox_->setChecked(o.companions);
}

void OptionsDialog::optionPageChosen(const QString& key) {
    for (int i = 0; i < kPageCount; ++i) {
        if (pageNode(i).key != key) continue;
        currentPageKey_ = key;
        pageHeading_->setText(pageNode(i).heading);
        pages_->setCurrentIndex(i);
        return;
    }
}

void OptionsDialog::cancelClicked() {
    reject();
}

void OptionsDialog::okClicked() {
    // A list showing no entry (the value lies outside it) keeps its value: the mode a
    // hand-edited file asked for, or a digit count no entry offers.
    Options& o = options_;
    const CollisionMode modes[] = {CollisionMode::Ask, CollisionMode::Replace, CollisionMode::Number};
    if (collisionModeBox_->currentIndex() >= 0) o.collisionMode = modes[collisionModeBox_->currentIndex()];
    o.connector = connectorBox_->text();
    o.numberDigits = pickedEntry(numberDigitsBox_, o.numberDigits - 1) + 1;
    o.firstNumber = static_cast<int16_t>(pickedEntry(firstNumberBox_, o.firstNumber));
    o.continueNumbers = continueNumbersBox_->isChecked();
    o.deleteMode = deleteModeBox_->currentIndex() == 0 ? DeleteMode::ToTrash : DeleteMode::Directly;
    o.confirmDelete = confirmDeleteBox_->currentIndex() == 1;
    if (arrowKeysBox_->currentIndex() >= 0)
        o.arrowKeys = arrowKeysBox_->currentIndex() == 0 ? ArrowKeys::Slide : ArrowKeys::PagesAndFiles;
    o.extraFormats = extraFormatsBox_->isChecked();
    o.transferLog = transferLogBox_->isChecked();
    o.companions = companionsBox_->isChecked();
    adjustNextNumbers(library_, o);
    accept();
}
