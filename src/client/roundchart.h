#pragma once

#include "review/gamesummary.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>

class QPainter;

// The rounds of a game as a chart: bars of each round's points, one group per
// round and one bar per player in the seat's colour, or lines of the running
// totals. The legend wraps; figures are drawn where they fit and, for the
// round under the mouse or chosen with Left and Right, in a line above the
// plot. A caption names each round and its letters, a tie-break in full.
// Clicking a round, or Enter on it, chooses it. Its accessible description
// gives the figures as text.
class RoundChart : public QWidget {
    Q_OBJECT
public:
    enum class View { PerRound, RunningTotals };

    explicit RoundChart(QWidget *parent = nullptr);

    // Draws a game's rounds; names are the seat rows' names.
    void setSummary(const GameSummary &summary, const std::map<int, QString> &names);
    // Switches between points per round and running totals.
    void setView(View view);
    View view() const { return view_; }
    // The figures as the description reads them.
    QString figures() const;
    // The round picked out by the mouse or the keyboard (-1: none).
    int pickedRound() const { return picked_; }
    // Where a round's group stands in the widget (empty when there is none).
    QRect groupRect(int index) const;
    // True when two legend entries, figures or captions would overlap; they never do.
    bool figuresCollide() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A round was clicked, or Enter was pressed on it: its place in the summary's rounds.
    void roundChosen(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Layout {
        // Legend entries: swatch and name, row after row.
        QList<QRect> legend;
        QStringList legendNames;
        QRect detail;
        QRect plot;
        QRect captions;
        bool captionsUpright = true;
        // Every captionStep-th round has its caption under the axis; the picked
        // one always has it in the line above the plot.
        int captionStep = 1;
        int highest = 1;
        // Whether each round's bars carry their figures (all of them fit).
        QList<bool> barFigures;
        // The legend's entries, the figures drawn over the bars and the
        // captions, for the overlap check.
        QList<QRectF> figureBoxes;
    };
    Layout layout() const;
    QString caption(int index) const;
    QString detailText(int index) const;
    static QString hintText();
    // The picked round's figures, over the top of the plot where they need the room.
    void paintDetail(QPainter &painter, const Layout &lay) const;
    int value(const PlayerSummary &player, int index) const;
    int groupAt(const QPoint &point) const;
    // The shape of a player's bar (the b-th of a round's group).
    QRectF barShape(int group, int b, int points, const QRect &plot, int highest) const;
    void pick(int index);

    GameSummary summary_;
    std::map<int, QString> names_;
    View view_ = View::PerRound;
    int picked_ = -1;
};
