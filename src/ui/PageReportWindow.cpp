#include "ui/PageReportWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>


namespace {
// The window was designed in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int px(int twips) { return (twips + 7) / 15; }

// Only spaces, half- or full-width, are cut from the name's ends; a tab is part of it.
bool isBlank(QChar ch) {
    return ch == QLatin1Char(' ') || ch == QChar(0x3000);
}

QString trimBlanks(const QString& text) {
    int begin = 0;
    int end = text.size();
    while (begin < end && isBlank(text.at(begin))) ++begin;
    while (end > begin && isBlank(text.at(end - 1))) --end;
    return text.mid(begin, end - begin);
}
}  // namespace

PageReportWindow::PageReportWindow(const FolderLibrary& library, QWidget* parent)
    : QWidget(parent, Qt::Window), library_(library) {
    setObjectName(QStringLiteral("PageReportWindow"));
    // The title, the button and the box keep the texts they have always shown.
    setWindowTitle(QStringLiteral("Form3"));
    reportButton_ = new QPushButton(QStringLiteral("Command1"), this);
    reportButton_->setObjectName(QStringLiteral("reportButton"));
    reportButton_->setGeometry(px(120), px(0), px(1335), px(255));
    reportText_ = new QPlainTextEdit(QStringLiteral("Text1"), this);
    reportText_->setObjectName(QStringLiteral("reportText"));
    reportText_->setGeometry(px(0), px(360), px(6975), px(3135));
    resize(px(6960), px(3795));
    connect(reportButton_, &QPushButton::clicked, this, &PageReportWindow::writeReport);
}

QString PageReportWindow::reportText(const FolderLibrary& library) {
    const int32_t p = library.currentPage();
    const QString name = library.hasPage(p) ? trimBlanks(library.page(p).name) : QString();
    return QStringLiteral("現在のページ(gl_PageNum)：") + QString::number(p) + QStringLiteral("\r\n") +
           QStringLiteral("現在のページ(gs_PageName)：") + name + QStringLiteral("\r\n");
}

void PageReportWindow::writeReport() {
    reportText_->setPlainText(reportText(library_));
}

void PageReportWindow::closeAll() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<PageReportWindow*>(w)) window->close();
}

void PageReportWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void PageReportWindow::layOut() {
    // Sizes follow the outer window; a window too small for them gives an empty box, not a
    // negative one.
    const QRect outer = frameGeometry();
    reportText_->resize(qMax(0, outer.width() - px(200)), qMax(0, outer.height() - px(600)));
}
