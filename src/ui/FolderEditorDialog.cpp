// The shortcut-folder editor's window: its controls, their arrangement and the routing of
// their events. The slot rows' logic is in FolderEditorDialogRows.cpp, the page side's in FolderEditorDialogPages.cpp.
#include "FolderEditorDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "LineBreakGuard.h"

namespace {

QLabel* MakeLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter in a text box must not press a button of the dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// Routes the events Qt delivers to the boxes and the list to the editor's handlers: folder
// drops on the display-name and path boxes, typed characters in the next-number boxes and
// in the page list.
class FolderEditorDialogEvents : public QObject {
public:
    explicit FolderEditorDialogEvents(FolderEditorDialog* form) : QObject(form), form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return Drag(watched, static_cast<QDropEvent*>(event));
            case QEvent::KeyPress:
                return Key(watched, static_cast<QKeyEvent*>(event));
            default:
                return false;
        }
    }

private:
    bool Drag(QObject* watched, QDropEvent* e) {
        for (int i = 0; i < FolderEditorDialog::kRows; ++i) {
            const bool onTitle = watched == form_->fTitle(i);
            if (!onTitle && watched != form_->fNameLabel(i)) continue;
            const bool ok = onTitle ? form_->fTitle_OLEDragOver(i, e->mimeData())
                                    : form_->fNameLabel_OLEDragOver(i, e->mimeData());
            if (ok) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->setDropAction(Qt::IgnoreAction);
                e->ignore();
            }
            if (ok && e->type() == QEvent::Drop) {
                if (onTitle)
                    form_->titleDropped(i, e->mimeData());
                else
                    form_->folderDropped(i, e->mimeData());
            }
            // The boxes never take dragged text: a folder is the only thing they accept.
            return true;
        }
        return false;
    }

    bool Key(QObject* watched, QKeyEvent* e) {
        const QString text = e->text();
        if (text.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar ch = text.at(0);
        // Only typed characters count; Tab, Enter and the like keep their usual work.
        if (!ch.isPrint() && ch != QChar(8)) return false;
        if (watched == form_->pageList()) {
            form_->pageListKeyPressed(ch);
            return true;
        }
        for (int i = 0; i < FolderEditorDialog::kRows; ++i)
            if (watched == form_->PriNum(i)) return !form_->nextNumberKeyPress(i, ch);
        return false;
    }

    FolderEditorDialog* form_;
};

}  // namespace

FolderEditorDialog::FolderEditorDialog(const Services& services, const QString& programDir, const FolderLibrary& library,
             const Options& options, QWidget* parent)
    : QDialog(parent), services_(services), programDir_(programDir), library_(library), options_(options) {
    setObjectName(QStringLiteral("FolderEditorDialog"));
    setWindowTitle(QStringLiteral("ショートカットフォルダ設定"));
    BuildWidgets();
    startUp();
}

FolderEditorDialog::~FolderEditorDialog() = default;

void FolderEditorDialog::BuildWidgets() {
    auto* events = new FolderEditorDialogEvents(this);

    auto* top = new QHBoxLayout;
    auto* label2 = MakeLabel(QStringLiteral("ページ名"), QStringLiteral("Label2"), this);
    QFont big = label2->font();
    big.setPointSize(12);
    label2->setFont(big);
    pageTitle_ = MakeEdit(QStringLiteral("PageTitle"), this);
    top->addWidget(label2);
    top->addWidget(pageTitle_, 1);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);

    auto* body = new QHBoxLayout;
    body->addWidget(BuildPageSide());
    body->addSpacing(8);
    body->addWidget(BuildRows(), 1);

    auto* bottom = new QHBoxLayout;
    pageNumLabel_ = MakeLabel(QString(), QStringLiteral("PageNumLabel"), this);
    command1_ = MakeButton(QStringLiteral("閉じる"), QStringLiteral("Command1"), this);
    command1_->setMinimumWidth(88);
    bottom->addWidget(pageNumLabel_);
    bottom->addStretch(1);
    bottom->addWidget(command1_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(line1);
    main->addLayout(body, 1);
    main->addLayout(bottom);

    LineBreakGuard::Attach(pageTitle_, services_.msgBox);
    connect(pageTitle_, &QLineEdit::textChanged, this, [this] { pageTitleChanged(); });
    connect(pageList_, &QListWidget::currentRowChanged, this, [this] { pageListClicked(); });
    pageList_->installEventFilter(events);
    connect(swapFoward_, &QPushButton::clicked, this, [this] { movePageUpClicked(); });
    connect(swapNext_, &QPushButton::clicked, this, [this] { movePageDownClicked(); });
    connect(addPage_, &QPushButton::clicked, this, [this] { addPageClicked(); });
    connect(delPage_, &QPushButton::clicked, this, [this] { deletePageClicked(); });
    connect(command1_, &QPushButton::clicked, this, [this] { closeClicked(); });

    for (int i = 0; i < kRows; ++i) {
        Row& r = rows_[i];
        for (QLineEdit* edit : {r.title, r.path}) LineBreakGuard::Attach(edit, services_.msgBox);
        LineBreakGuard::AttachNamePart(r.seqName, services_.msgBox);
        r.title->installEventFilter(events);
        r.path->installEventFilter(events);
        r.priNum->installEventFilter(events);
        connect(r.seqSwitch, &QCheckBox::clicked, this, [this, i] { renamingClicked(i); });
        connect(r.seqName, &QLineEdit::textChanged, this, [this, i] { fixedNameChanged(i); });
        connect(r.priNum, &QLineEdit::textChanged, this, [this, i] { nextNumberChanged(i); });
        connect(r.clearBtn, &QPushButton::clicked, this, [this, i] { clearClicked(i); });
        connect(r.getBtn, &QPushButton::clicked, this, [this, i] { browseClicked(i); });
    }
}

QWidget* FolderEditorDialog::BuildPageSide() {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MakeLabel(QStringLiteral("ページ一覧"), QStringLiteral("Label1_5"), side));
    pageList_ = new QListWidget(side);
    pageList_->setObjectName(QStringLiteral("pageList"));
    pageList_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The list has no search by typed letters, so it takes no composed text either.
    pageList_->setAttribute(Qt::WA_InputMethodEnabled, false);
    pageList_->setFixedWidth(150);
    layout->addWidget(pageList_, 1);

    auto* move = new QHBoxLayout;
    swapFoward_ = MakeButton(QStringLiteral("▲"), QStringLiteral("Com_SwapFoward"), side);
    swapNext_ = MakeButton(QStringLiteral("▼"), QStringLiteral("Com_SwapNext"), side);
    move->addWidget(swapFoward_);
    move->addWidget(swapNext_);
    layout->addLayout(move);

    auto* edit = new QHBoxLayout;
    addPage_ = MakeButton(QStringLiteral("新規"), QStringLiteral("Com_AddPage"), side);
    delPage_ = MakeButton(QStringLiteral("削除"), QStringLiteral("Com_DelPage"), side);
    edit->addWidget(addPage_);
    edit->addWidget(delPage_);
    layout->addLayout(edit);
    return side;
}

QWidget* FolderEditorDialog::BuildRows() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);

    // Columns: 0 digit, 1 display name, 2 "参照", 3 "クリア", 4 path, 5 switch, 6 fixed name,
    // 7 next number.
    auto* bracket = MakeLabel(QStringLiteral("┌──　個別連番転送　──┐"), QStringLiteral("Label1_4"), panel);
    bracket->setAlignment(Qt::AlignCenter);
    grid->addWidget(bracket, 0, 5, 1, 3);
    grid->addWidget(MakeLabel(QStringLiteral("表示名"), QStringLiteral("Label1_0"), panel), 1, 1);
    grid->addWidget(MakeLabel(QStringLiteral("フォルダパス "), QStringLiteral("Label1_1"), panel), 1, 4);
    grid->addWidget(MakeLabel(QStringLiteral("固定名"), QStringLiteral("Label1_2"), panel), 1, 6);
    grid->addWidget(MakeLabel(QStringLiteral("次番号"), QStringLiteral("Label1_3"), panel), 1, 7);

    for (int i = 0; i < kRows; ++i) {
        const QString n = QString::number(i);
        Row& r = rows_[i];
        r.number = MakeLabel(n + QLatin1Char('.'), QStringLiteral("FolderNumLabel_") + n, panel);
        r.title = MakeEdit(QStringLiteral("fTitle_") + n, panel);
        r.title->setMinimumWidth(120);
        r.getBtn = MakeButton(QStringLiteral("参照"), QStringLiteral("GetBtn_") + n, panel);
        r.clearBtn = MakeButton(QStringLiteral("クリア"), QStringLiteral("Command2_") + n, panel);
        r.path = MakeEdit(QStringLiteral("fNameLabel_") + n, panel);
        r.path->setMinimumWidth(240);
        r.seqSwitch = new QCheckBox(panel);
        r.seqSwitch->setObjectName(QStringLiteral("SeqSwitch_") + n);
        r.seqName = MakeEdit(QStringLiteral("fSeqName_") + n, panel);
        r.seqName->setMinimumWidth(110);
        r.priNum = MakeEdit(QStringLiteral("PriNum_") + n, panel);
        r.priNum->setFixedWidth(72);
        r.priNum->setAlignment(Qt::AlignRight);
        r.priNum->setInputMethodHints(Qt::ImhDigitsOnly);
        // Digits only: composed (input-method) text would bypass the typed-character rule.
        r.priNum->setAttribute(Qt::WA_InputMethodEnabled, false);
        // Narrow buttons, as wide as their captions: the row's room belongs to the boxes.
        for (QPushButton* b : {r.getBtn, r.clearBtn})
            b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) + 20);

        const int row = i + 2;
        grid->addWidget(r.number, row, 0);
        grid->addWidget(r.title, row, 1);
        grid->addWidget(r.getBtn, row, 2);
        grid->addWidget(r.clearBtn, row, 3);
        grid->addWidget(r.path, row, 4);
        grid->addWidget(r.seqSwitch, row, 5);
        grid->addWidget(r.seqName, row, 6);
        grid->addWidget(r.priNum, row, 7);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(4, 4);
    grid->setColumnStretch(6, 2);

    auto* note = MakeLabel(
        QStringLiteral("「表示名」と「フォルダパス」はエクスプローラからのドロップに対応しています"),
        QStringLiteral("Label3"), panel);
    grid->addWidget(note, kRows + 2, 0, 1, 8);
    grid->setRowStretch(kRows + 3, 1);
    return panel;
}

void FolderEditorDialog::done(int result) {
    shutDown();
    QDialog::done(result);
}

void FolderEditorDialog::closeEvent(QCloseEvent* event) {
    // Closing cannot be cancelled: it always stores and saves.
    shutDown();
    QDialog::closeEvent(event);
    event->accept();
}
