#include "Form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPalette>

#include "DisplayWidget.h"
#include "MsgBox.h"

Form1::Form1(const Services& services, const QString& programDir, const QString& commandLine,
             QWidget* parent)
    : QMainWindow(parent), services_(services), programDir_(programDir), commandLine_(commandLine) {
    setWindowTitle(QStringLiteral("Orvane"));
    BuildWidgets();
    BuildMenus();
    // The designed client size; a saved placement replaces it while loading.
    resize(639, 451);
}

Form1::~Form1() = default;

void Form1::BuildWidgets() {
    auto* central = new QWidget(this);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, DisplayWidget::Background());
    central->setPalette(pal);
    central->setAutoFillBackground(true);
    setCentralWidget(central);

    text1_ = new QPlainTextEdit(central);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);

    display_ = new DisplayWidget(central);
    display_->setObjectName(QStringLiteral("Display"));

    bar_ = new QLabel(central);
    bar_->setObjectName(QStringLiteral("Bar"));
    bar_->setAutoFillBackground(true);
    bar_->setPalette(pal);
}

void Form1::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("separate"));
    m_Quit_ = new QAction(QStringLiteral("閉じる(&Q)"), this);
    m_Quit_->setObjectName(QStringLiteral("m_Quit"));
    file->addAction(m_Quit_);
    connect(m_Quit_, &QAction::triggered, this, &QWidget::close);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize() {
    QWidget* c = centralWidget();
    const int w = c->width();
    const int h = c->height();
    text1_->setGeometry(4, 4, 145, qMax(0, h - 28));
    display_->setGeometry(153, 4, qMax(1, w - 157), qMax(1, h - 28));
    bar_->setGeometry(4, qMax(0, h - 20), qMax(0, w - 9), 17);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::OpenCommandLineTarget() {}
void Form1::m_usage() {}
void Form1::m_version() {}
