// The main window: its widgets and the menu ファイル, the parts it wires together, its layout
// and its close.
#include "ui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QMenuBar>
#include <QMetaObject>
#include <QPalette>

#include "ui/FileDrops.h"
#include "view/ImageView.h"
#include "ui/OverviewPanel.h"
#include "ui/PathOpener.h"
#include "view/PictureLoader.h"
#include "ui/SessionPictures.h"
#include "ui/StatusText.h"
#include "core/TransferMessages.h"
#include "ui/TransferRecorder.h"
#include "view/ViewGeometry.h"

namespace {

// The overview never keeps the keyboard: the view's keys carry the commands.
class FocusHandOver : public QObject {
public:
    FocusHandOver(QObject* parent, QWidget* to) : QObject(parent), to_(to) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) to_->setFocus(Qt::OtherFocusReason);
        return false;
    }

private:
    QWidget* to_;
};

}  // namespace

MainWindow::MainWindow(const Services& services, const QString& programDir, const QString& startPath,
                       QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      programDir_(programDir),
      startPath_(startPath),
      session_(services.fileSystem),
      folders_(session_, services.listFolder ? services.listFolder
                                             : [fs = services.fileSystem](const QString& folder, bool png,
                                                                          bool extra, bool companions) {
                                                   return ImageList::listFolder(*fs, folder, png, extra, companions);
                                               }),
      settings_(programDir) {
    setWindowTitle(QStringLiteral("Orvane"));
    recorder_ = std::make_unique<TransferRecorder>(session_.options(), programDir_, *services_.msgBox);
    buildWidgets();
    buildMenus();
    loader_ = std::make_unique<PictureLoader>(
        *imageView_, *this, services.pictureFileSystem ? *services.pictureFileSystem : *services.fileSystem);
    pictures_ = std::make_unique<SessionPictures>(session_, *loader_);
    opener_ = std::make_unique<PathOpener>(session_, folders_, *loader_, *this, *services_.fileSystem,
                                           services_.msgBox, [this] { updateStatusText(); });
    connectSession();
    // One filter serves the window and every control (and the panel's viewport, which is what
    // receives a text box's drag events), so every one of them takes the same drops.
    drops_ = std::make_unique<FileDrops>(*services_.fileSystem, [this] { return session_.pngPluginAvailable(); },
                                         [this](const QString& path) {
                                             openPath(path);
                                             updateStatusText();
                                         });
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(statusLabel_),
                       static_cast<QWidget*>(imageView_), static_cast<QWidget*>(overviewPanel_),
                       overviewPanel_->viewport()})
        drops_->takeDropsOn(w);
    overviewPanel_->installEventFilter(new FocusHandOver(this, imageView_));
    installKeyRouting();
    // The designed client size (below the menu bar); a saved placement replaces it while
    // loading.
    resize(ViewGeometry::kDesignedClientWidth,
           ViewGeometry::kDesignedClientHeight + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWidgets() {
    auto* central = new QWidget(this);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, ImageView::background());
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

    panelEdge_ = new PanelEdge(central);
    connect(panelEdge_, &PanelEdge::dragged, this, &MainWindow::dragPanelEdge);
    new LineToolTips(overviewPanel_, [this](int line) { return overviewToolTip(line); });
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("file"));
    QAction* openFile = file->addAction(QStringLiteral("ファイルを開く(&O)"));
    openFile->setObjectName(QStringLiteral("openFile"));
    connect(openFile, &QAction::triggered, this, &MainWindow::openFile);
    QAction* openFolder = file->addAction(QStringLiteral("フォルダを開く(&H)"));
    openFolder->setObjectName(QStringLiteral("openFolder"));
    connect(openFolder, &QAction::triggered, this, &MainWindow::openFolder);
    file->addSeparator()->setObjectName(QStringLiteral("fileSeparator"));
    QAction* quit = file->addAction(QStringLiteral("閉じる(&Q)"));
    quit->setObjectName(QStringLiteral("quit"));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    buildSupportMenus();
}

void MainWindow::connectSession() {
    connect(&session_, &SortingSession::shownFileChanged, this, [this] {
        // The status bar is painted before a slow decode starts, without running other events.
        statusLabel_->repaint();
        if (!pictures_->showShownFile()) updateStatusText();
    });
    connect(loader_.get(), &PictureLoader::shownLate, this, &MainWindow::updateStatusText);
    connect(&session_, &SortingSession::statusChanged, this, &MainWindow::updateStatusText);
    connect(&session_, &SortingSession::pageChanged, this, &MainWindow::showOverview);
    // The record is written before the message and before the next key.
    connect(&session_, &SortingSession::resultReady, this, [this](const Transfer::Result& result) {
        const QDateTime now = QDateTime::currentDateTime();
        recorder_->record(TransferRecord::entryFor(result, now));
        // A group: one line for each companion that went with it.
        for (const Transfer::Result& companion : result.companions)
            recorder_->record(TransferRecord::entryFor(companion, now));
        if (!statusNote_.isEmpty()) showStatusNote(QString());  // a new action: the note is old news
        showMessage(Transfer::messageFor(result));
    });
    connect(&session_, &SortingSession::undoReady, this,
            [this](const Transfer::UndoResult& result, const Transfer::Result& action) {
                const QDateTime now = QDateTime::currentDateTime();
                recorder_->record(TransferRecord::entryForUndo(result, action, now));
                // A group comes back whole or not at all: its companions' lines follow.
                for (const Transfer::Result& companion : action.companions)
                    recorder_->record(TransferRecord::entryForUndo(result, companion, now));
                showMessage(Transfer::messageFor(result));
            });
    connect(&session_, &SortingSession::actionUndone, this,
            [this](const Transfer::Result& action) { showStatusNote(undoneNote(action)); });
}

Prefetcher& MainWindow::prefetcher() const { return loader_->prefetcher(); }

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) layOut();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layOut();
}

void MainWindow::layOut() {
    if (!isMinimized()) {
        placeWidgets();
        loader_->fitOffsetToView();
    }
    loader_->redraw();
}

void MainWindow::placeWidgets() {
    QWidget* client = centralWidget();
    const int w = client->width();
    const ViewGeometry::MainLayout l = ViewGeometry::computeLayout(
        w, client->height(), ViewGeometry::overviewWidthFor(options().panelWidth, w));
    statusLabel_->setGeometry(l.status);
    overviewPanel_->setGeometry(l.overview);
    imageView_->setGeometry(l.view);
    // The gap between the panel and the picture.
    panelEdge_->setGeometry(l.overview.right() + 1, 0, l.view.left() - l.overview.right() - 1, l.overview.height());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (folders_.listing()) {
        // The list being read belongs to this window; the close follows it.
        folders_.whenIdle(this, [this] { close(); });
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
}
