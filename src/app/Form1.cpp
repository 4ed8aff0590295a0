#include "Form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPalette>

#include "ImageView.h"
#include "MsgBox.h"
#include "ViewGeometry.h"

Form1::Form1(const Services& services, const QString& programDir, const QString& startPath,
             QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      programDir_(programDir),
      startPath_(startPath),
      session_(services.fileSystem) {
    setWindowTitle(QStringLiteral("Orvane"));
    BuildWidgets();
    BuildMenus();
    ConnectView();
    ConnectSession();
    InstallDropHandling();
    InstallKeyRouting();
    InstallPrefetch();
    // The designed client size (below the menu bar); a saved placement replaces it while
    // loading.
    resize(ViewGeometry::kDesignedClientWidth,
           ViewGeometry::kDesignedClientHeight + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::BuildWidgets() {
    auto* central = new QWidget(this);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, ImageView::Background());
    central->setPalette(pal);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    text1_ = new QPlainTextEdit(central);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);

    display_ = new ImageView(central);
    display_->setObjectName(QStringLiteral("Display"));

    bar_ = new QLabel(central);
    bar_->setObjectName(QStringLiteral("Bar"));
    bar_->setAutoFillBackground(true);
    bar_->setPalette(pal);
}

void Form1::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("separate"));
    m_OpenFile_ = new QAction(QStringLiteral("ファイルを開く(&O)"), this);
    m_OpenFile_->setObjectName(QStringLiteral("m_OpenFile"));
    file->addAction(m_OpenFile_);
    connect(m_OpenFile_, &QAction::triggered, this, &Form1::m_OpenFile);
    m_OpenFolder_ = new QAction(QStringLiteral("フォルダを開く(&H)"), this);
    m_OpenFolder_->setObjectName(QStringLiteral("m_OpenFolder"));
    file->addAction(m_OpenFolder_);
    connect(m_OpenFolder_, &QAction::triggered, this, &Form1::m_OpenFolder);
    file->addSeparator()->setObjectName(QStringLiteral("m_separate"));
    m_Quit_ = new QAction(QStringLiteral("閉じる(&Q)"), this);
    m_Quit_->setObjectName(QStringLiteral("m_Quit"));
    file->addAction(m_Quit_);
    connect(m_Quit_, &QAction::triggered, this, &QWidget::close);
    BuildSupportMenus();
}

void Form1::ConnectSession() {
    session_.setLister([this](const QString& folder, bool png) { return ListFolderResponsively(folder, png); });
    connect(&session_, &SortingSession::shownFileChanged, this, &Form1::ShowShownFile);
    connect(&session_, &SortingSession::statusChanged, this, &Form1::UpdateStatusBar);
    connect(&session_, &SortingSession::pageChanged, this, &Form1::ShowPageOverview);
    connect(&session_, &SortingSession::fitModeChanged, this, [this] { DrawImage(0); });
    connect(&session_, &SortingSession::resultReady, this, &Form1::ShowResult);
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (listing_) {
        // The list being read belongs to this window; the close follows it.
        closeWaiting_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}
