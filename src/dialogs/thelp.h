#pragma once

#include <QWidget>

// The help window ("Content" in the Help menu).
class Thelp : public QWidget {
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);
};
