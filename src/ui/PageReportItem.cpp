#include "ui/PageReportItem.h"

PageReportItem::PageReportItem(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PageReportItem"));
    startUp();
}

void PageReportItem::startUp() {
    setWindowTitle(QStringLiteral("アイテム設定"));
}
