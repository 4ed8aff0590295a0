#pragma once
#include <QWidget>

// A window with no function beyond its caption; nothing in the program opens it.
class PageReportItem : public QWidget {
    Q_OBJECT
public:
    explicit PageReportItem(QWidget* parent = nullptr);

private:
    void startUp();
};
