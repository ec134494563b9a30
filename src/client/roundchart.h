#pragma once

#include "review/gamesummary.h"

#include <QString>
#include <QWidget>

#include <map>

// Points per round as bars: one group per round, one bar per player in the
// seat's colour, a tie-break round marked under its group. Its accessible
// description gives the same figures as text.
class RoundChart : public QWidget {
    Q_OBJECT
public:
    explicit RoundChart(QWidget *parent = nullptr);

    // Draws a game's rounds; names are the seat rows' names.
    void setSummary(const GameSummary &summary, const std::map<int, QString> &names);
    // The figures as the description reads them.
    QString figures() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GameSummary summary_;
    std::map<int, QString> names_;
};
