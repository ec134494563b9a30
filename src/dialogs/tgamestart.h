#pragma once

#include <QWidget>

// The game start window, where the host chooses the options of a new game.
class Tgamestart : public QWidget {
    Q_OBJECT
public:
    explicit Tgamestart(QWidget *parent = nullptr);
};
