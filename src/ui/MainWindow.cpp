#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPalette>

#include "ImageView.h"
#include "MsgBox.h"
#include "ViewGeometry.h"

MainWindow::MainWindow(const Services& services, const QString& programDir, const QString& startPath,
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

MainWindow::~MainWindow() = default;

void MainWindow::BuildWidgets() {
    auto* central = new QWidget(this);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, ImageView::Background());
    central->setPalette(pal);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    overviewPanel_ = new QPlainTextEdit(central);
    overviewPanel_->setObjectName(QStringLiteral("overviewPanel"));
    overviewPanel_->setReadOnly(true);
    overviewPanel_->setLineWrapMode(QPlainTextEdit::NoWrap);

    imageView_ = new ImageView(central);
    imageView_->setObjectName(QStringLiteral("imageView"));

    statusLabel_ = new QLabel(central);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setAutoFillBackground(true);
    statusLabel_->setPalette(pal);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("file"));
    openFileAction_ = new QAction(QStringLiteral("ファイルを開く(&O)"), this);
    openFileAction_->setObjectName(QStringLiteral("openFile"));
    file->addAction(openFileAction_);
    connect(openFileAction_, &QAction::triggered, this, &MainWindow::openFile);
    openFolderAction_ = new QAction(QStringLiteral("フォルダを開く(&H)"), this);
    openFolderAction_->setObjectName(QStringLiteral("openFolder"));
    file->addAction(openFolderAction_);
    connect(openFolderAction_, &QAction::triggered, this, &MainWindow::openFolder);
    file->addSeparator()->setObjectName(QStringLiteral("fileSeparator"));
    quitAction_ = new QAction(QStringLiteral("閉じる(&Q)"), this);
    quitAction_->setObjectName(QStringLiteral("quit"));
    file->addAction(quitAction_);
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);
    BuildSupportMenus();
}

void MainWindow::ConnectSession() {
    session_.setLister([this](const QString& folder, bool png) { return ListFolderResponsively(folder, png); });
    connect(&session_, &SortingSession::shownFileChanged, this, &MainWindow::ShowShownFile);
    connect(&session_, &SortingSession::statusChanged, this, &MainWindow::updateStatusText);
    connect(&session_, &SortingSession::pageChanged, this, &MainWindow::showOverview);
    connect(&session_, &SortingSession::fitModeChanged, this, [this] { drawPicture(0); });
    connect(&session_, &SortingSession::resultReady, this, &MainWindow::ShowResult);
    connect(&session_, &SortingSession::undoReady, this, &MainWindow::ShowUndoResult);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) layOut();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layOut();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.listing()) {
        // The list being read belongs to this window; the close follows it.
        closeWaiting_ = true;
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}
