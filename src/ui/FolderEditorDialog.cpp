// The shortcut-folder editor's window: its controls, their arrangement and the routing of
// their events. The slot rows' logic is in FolderEditorRows.cpp, the page side's in
// FolderEditorPages.cpp.
#include "ui/FolderEditorDialog.h"

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
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/LineBreakGuard.h"
#include "ui/PageListModel.h"

namespace {

QLabel* makeLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter in a text box must not press a button of the dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* makeEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// Routes the events Qt delivers to the boxes and the list to the editor's handlers: folder
// drops on the display-name and path boxes, typed characters in the next-number boxes and
// in the page list.
class FolderEditorDialogEvents : public QObject {
public:
    explicit FolderEditorDialogEvents(FolderEditorDialog* editor) : QObject(editor), editor_(editor) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return drag(watched, static_cast<QDropEvent*>(event));
            case QEvent::KeyPress:
                return key(watched, static_cast<QKeyEvent*>(event));
            default:
                return false;
        }
    }

private:
    bool drag(QObject* watched, QDropEvent* e) {
        for (int i = 0; i < FolderEditorDialog::kRows; ++i) {
            const bool onTitle = watched == editor_->titleBox(i);
            if (!onTitle && watched != editor_->folderBox(i)) continue;
            const bool ok = onTitle ? editor_->titleAcceptsDrop(i, e->mimeData())
                                    : editor_->folderAcceptsDrop(i, e->mimeData());
            if (ok) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->setDropAction(Qt::IgnoreAction);
                e->ignore();
            }
            if (ok && e->type() == QEvent::Drop) {
                if (onTitle)
                    editor_->titleDropped(i, e->mimeData());
                else
                    editor_->folderDropped(i, e->mimeData());
            }
            // The boxes never take dragged text: a folder is the only thing they accept.
            return true;
        }
        return false;
    }

    bool key(QObject* watched, QKeyEvent* e) {
        const QString text = e->text();
        if (text.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar ch = text.at(0);
        // Only typed characters count; Tab, Enter and the like keep their usual work.
        if (!ch.isPrint() && ch != QChar(8)) return false;
        if (watched == editor_->pageList()) {
            editor_->pageListKeyPressed(ch);
            return true;
        }
        for (int i = 0; i < FolderEditorDialog::kRows; ++i)
            if (watched == editor_->nextNumberBox(i)) return !editor_->nextNumberKeyPress(i, ch);
        return false;
    }

    FolderEditorDialog* editor_;
};

}  // namespace

FolderEditorDialog::FolderEditorDialog(const Services& services, const FolderLibrary& library, const Options& options,
                                       QWidget* parent)
    : QDialog(parent), services_(services), library_(library), options_(options) {
    setObjectName(QStringLiteral("FolderEditorDialog"));
    setWindowTitle(QStringLiteral("ショートカットフォルダ設定"));
    buildWidgets();
    startUp();
}

FolderEditorDialog::~FolderEditorDialog() = default;

void FolderEditorDialog::buildWidgets() {
    auto* events = new FolderEditorDialogEvents(this);

    auto* top = new QHBoxLayout;
    auto* pageNameCaption = makeLabel(QStringLiteral("ページ名"), QStringLiteral("pageNameCaption"), this);
    QFont big = pageNameCaption->font();
    big.setPointSize(12);
    pageNameCaption->setFont(big);
    pageNameBox_ = makeEdit(QStringLiteral("pageName"), this);
    top->addWidget(pageNameCaption);
    top->addWidget(pageNameBox_, 1);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("separator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* body = new QHBoxLayout;
    body->addWidget(buildPageSide());
    body->addSpacing(8);
    body->addWidget(buildRows(), 1);

    auto* bottom = new QHBoxLayout;
    pageCountLabel_ = makeLabel(QString(), QStringLiteral("pageCount"), this);
    closeButton_ = makeButton(QStringLiteral("閉じる"), QStringLiteral("close"), this);
    closeButton_->setMinimumWidth(88);
    bottom->addWidget(pageCountLabel_);
    bottom->addStretch(1);
    bottom->addWidget(closeButton_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(separator);
    main->addLayout(body, 1);
    main->addLayout(bottom);

    LineBreakGuard::attach(pageNameBox_, services_.msgBox);
    connect(pageNameBox_, &QLineEdit::textChanged, this, [this] { pageNameChanged(); });
    connect(pageList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { pageListClicked(); });
    pageList_->installEventFilter(events);
    connect(moveUpButton_, &QPushButton::clicked, this, [this] { movePageUpClicked(); });
    connect(moveDownButton_, &QPushButton::clicked, this, [this] { movePageDownClicked(); });
    connect(addPageButton_, &QPushButton::clicked, this, [this] { addPageClicked(); });
    connect(deletePageButton_, &QPushButton::clicked, this, [this] { deletePageClicked(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { closeClicked(); });

    for (int i = 0; i < kRows; ++i) {
        Row& r = rows_[i];
        for (QLineEdit* edit : {r.title, r.folder}) LineBreakGuard::attach(edit, services_.msgBox);
        LineBreakGuard::attachNamePart(r.fixedName, services_.msgBox);
        r.title->installEventFilter(events);
        r.folder->installEventFilter(events);
        r.nextNumber->installEventFilter(events);
        connect(r.renaming, &QCheckBox::clicked, this, [this, i] { renamingClicked(i); });
        connect(r.fixedName, &QLineEdit::textChanged, this, [this, i] { fixedNameChanged(i); });
        connect(r.nextNumber, &QLineEdit::textChanged, this, [this, i] { nextNumberChanged(i); });
        connect(r.clear, &QPushButton::clicked, this, [this, i] { clearClicked(i); });
        connect(r.browse, &QPushButton::clicked, this, [this, i] { browseClicked(i); });
    }
}

QWidget* FolderEditorDialog::buildPageSide() {
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeLabel(QStringLiteral("ページ一覧"), QStringLiteral("pageListCaption"), side));
    pageList_ = new QListView(side);
    pageList_->setObjectName(QStringLiteral("pageList"));
    pageModel_ = new PageListModel(library_, this);
    pageList_->setModel(pageModel_);
    pageList_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The list has no search by typed letters, so it takes no composed text either.
    pageList_->setAttribute(Qt::WA_InputMethodEnabled, false);
    pageList_->setFixedWidth(150);
    layout->addWidget(pageList_, 1);

    auto* move = new QHBoxLayout;
    moveUpButton_ = makeButton(QStringLiteral("▲"), QStringLiteral("movePageUp"), side);
    moveDownButton_ = makeButton(QStringLiteral("▼"), QStringLiteral("movePageDown"), side);
    move->addWidget(moveUpButton_);
    move->addWidget(moveDownButton_);
    layout->addLayout(move);

    auto* edit = new QHBoxLayout;
    addPageButton_ = makeButton(QStringLiteral("新規"), QStringLiteral("addPage"), side);
    deletePageButton_ = makeButton(QStringLiteral("削除"), QStringLiteral("deletePage"), side);
    edit->addWidget(addPageButton_);
    edit->addWidget(deletePageButton_);
    layout->addLayout(edit);
    return side;
}

QWidget* FolderEditorDialog::buildRows() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);

    // Columns: 0 digit, 1 display name, 2 "参照", 3 "クリア", 4 path, 5 switch, 6 fixed name,
    // 7 next number.
    auto* bracket = makeLabel(QStringLiteral("┌──　個別連番転送　──┐"), QStringLiteral("renamingCaption"), panel);
    bracket->setAlignment(Qt::AlignCenter);
    grid->addWidget(bracket, 0, 5, 1, 3);
    grid->addWidget(makeLabel(QStringLiteral("表示名"), QStringLiteral("titleCaption"), panel), 1, 1);
    grid->addWidget(makeLabel(QStringLiteral("フォルダパス "), QStringLiteral("folderCaption"), panel), 1, 4);
    grid->addWidget(makeLabel(QStringLiteral("固定名"), QStringLiteral("fixedNameCaption"), panel), 1, 6);
    grid->addWidget(makeLabel(QStringLiteral("次番号"), QStringLiteral("nextNumberCaption"), panel), 1, 7);

    for (int i = 0; i < kRows; ++i) {
        const QString n = QString::number(i);
        Row& r = rows_[i];
        r.number = makeLabel(n + QLatin1Char('.'), QStringLiteral("slotNumber_") + n, panel);
        r.title = makeEdit(QStringLiteral("title_") + n, panel);
        r.title->setMinimumWidth(120);
        r.browse = makeButton(QStringLiteral("参照"), QStringLiteral("browse_") + n, panel);
        r.clear = makeButton(QStringLiteral("クリア"), QStringLiteral("clear_") + n, panel);
        r.folder = makeEdit(QStringLiteral("folder_") + n, panel);
        r.folder->setMinimumWidth(240);
        r.renaming = new QCheckBox(panel);
        r.renaming->setObjectName(QStringLiteral("renaming_") + n);
        r.fixedName = makeEdit(QStringLiteral("fixedName_") + n, panel);
        r.fixedName->setMinimumWidth(110);
        r.nextNumber = makeEdit(QStringLiteral("nextNumber_") + n, panel);
        r.nextNumber->setFixedWidth(72);
        r.nextNumber->setAlignment(Qt::AlignRight);
        r.nextNumber->setInputMethodHints(Qt::ImhDigitsOnly);
        // Digits only: composed (input-method) text would bypass the typed-character rule.
        r.nextNumber->setAttribute(Qt::WA_InputMethodEnabled, false);
        // Narrow buttons, as wide as their captions: the row's room belongs to the boxes.
        for (QPushButton* b : {r.browse, r.clear})
            b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) + 20);

        const int row = i + 2;
        grid->addWidget(r.number, row, 0);
        grid->addWidget(r.title, row, 1);
        grid->addWidget(r.browse, row, 2);
        grid->addWidget(r.clear, row, 3);
        grid->addWidget(r.folder, row, 4);
        grid->addWidget(r.renaming, row, 5);
        grid->addWidget(r.fixedName, row, 6);
        grid->addWidget(r.nextNumber, row, 7);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(4, 4);
    grid->setColumnStretch(6, 2);

    auto* note = makeLabel(
        QStringLiteral("「表示名」と「フォルダパス」はエクスプローラからのドロップに対応しています"),
        QStringLiteral("dropNote"), panel);
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
