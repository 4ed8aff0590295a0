#pragma once
#include <QWidget>

// A window with no function beyond its caption; nothing in the program opens it.
class ItemConfig : public QWidget {
    Q_OBJECT
public:
    explicit ItemConfig(QWidget* parent = nullptr);

private:
    void Form_Load();
};
