#include "ItemConfig.h"

ItemConfig::ItemConfig(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ItemConfig"));
    Form_Load();
}

void ItemConfig::Form_Load() {
    setWindowTitle(QStringLiteral("アイテム設定"));
}
