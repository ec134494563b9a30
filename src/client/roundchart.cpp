#include "client/roundchart.h"

#include "client/reviewlook.h"
#include "client/seatcolours.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMargin = 10;
constexpr int kLegendRow = 20;

QString roundCaption(const RoundLine &round)
{
    return round.tieBreak ? QStringLiteral("%1 tie-break").arg(round.round)
                          : QString::number(round.round);
}

} // namespace

RoundChart::RoundChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("chart_rounds"));
    setAccessibleName(QStringLiteral("Points per round"));
    setFocusPolicy(Qt::StrongFocus);
}

void RoundChart::setSummary(const GameSummary &summary, const std::map<int, QString> &names)
{
    summary_ = summary;
    names_ = names;
    setAccessibleDescription(figures());
    updateGeometry();
    update();
}

QString RoundChart::figures() const
{
    QStringList rounds;
    for (qsizetype i = 0; i < summary_.rounds.size(); ++i) {
        const RoundLine &round = summary_.rounds.at(i);
        QStringList points;
        for (const auto &[seat, player] : summary_.players)
            points << ReviewLook::seatName(names_, seat) + " " +
                          QString::number(player.pointsPerRound.value(i));
        rounds << (round.tieBreak ? QStringLiteral("Round %1, tie-break: ")
                                  : QStringLiteral("Round %1: "))
                          .arg(round.round) +
                      points.join(QStringLiteral(", "));
    }
    return rounds.isEmpty() ? QStringLiteral("No rounds played.")
                            : rounds.join(QStringLiteral(". ")) + '.';
}

QSize RoundChart::sizeHint() const
{
    return {480, 220};
}

QSize RoundChart::minimumSizeHint() const
{
    return {280, 170};
}

void RoundChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.setBrush(ReviewLook::kField);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    if (hasFocus()) {
        painter.setPen(QPen(ReviewLook::kHighlight, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }

    const QFontMetrics metrics(font());
    // The legend: a swatch and the name of each player, in one row.
    int x = kMargin;
    for (const auto &[seat, player] : summary_.players) {
        const QString name = ReviewLook::seatName(names_, seat);
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
        painter.setBrush(seatColour(seat));
        painter.drawRect(QRectF(x + 0.5, kMargin + 3.5, 11, 11));
        painter.setPen(ReviewLook::kText);
        painter.drawText(QPoint(x + 16, kMargin + metrics.ascent()), name);
        x += 16 + metrics.horizontalAdvance(name) + 14;
    }

    const int groups = static_cast<int>(summary_.rounds.size());
    const int bars = static_cast<int>(summary_.players.size());
    if (groups == 0 || bars == 0)
        return;
    int highest = 1;
    for (const auto &[seat, player] : summary_.players)
        for (int points : player.pointsPerRound)
            highest = std::max(highest, points);

    const int axisLeft = kMargin + metrics.horizontalAdvance(QString::number(highest)) + 6;
    const QRect plot(axisLeft, kMargin + kLegendRow + metrics.height(),
                     width() - axisLeft - kMargin,
                     height() - 2 * kMargin - kLegendRow - 2 * metrics.height() - 4);
    painter.setPen(QPen(ReviewLook::kCaption, 1));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawText(
        QRect(kMargin, plot.top() - metrics.height() / 2, axisLeft - kMargin - 4, metrics.height()),
        Qt::AlignRight | Qt::AlignVCenter, QString::number(highest));
    painter.drawText(QRect(kMargin, plot.bottom() - metrics.height() / 2, axisLeft - kMargin - 4,
                           metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));

    const double group = double(plot.width()) / groups;
    const double bar = std::min(28.0, (group - 10) / bars);
    for (int g = 0; g < groups; ++g) {
        const RoundLine &round = summary_.rounds.at(g);
        const double left = plot.left() + g * group + (group - bar * bars) / 2;
        if (round.tieBreak) {
            // The tie-break's group stands on a lighter ground.
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(255, 226, 120, 40));
            painter.drawRect(
                QRectF(plot.left() + g * group + 2, plot.top(), group - 4, plot.height()));
        }
        int b = 0;
        for (const auto &[seat, player] : summary_.players) {
            const int points = player.pointsPerRound.value(g);
            const double h = double(plot.height()) * points / highest;
            const QRectF shape(left + b * bar + 1, plot.bottom() - h, bar - 2, h);
            painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
            painter.setBrush(seatColour(seat));
            if (points > 0)
                painter.drawRect(shape);
            painter.setPen(ReviewLook::kText);
            painter.drawText(QRectF(shape.left() - 4, shape.top() - metrics.height() - 1,
                                    shape.width() + 8, metrics.height()),
                             Qt::AlignCenter, QString::number(points));
            ++b;
        }
        painter.setPen(round.tieBreak ? ReviewLook::kHighlight : ReviewLook::kCaption);
        painter.drawText(
            QRectF(plot.left() + g * group, plot.bottom() + 3, group, metrics.height()),
            Qt::AlignCenter, roundCaption(round));
    }
    painter.setPen(ReviewLook::kCaption);
    painter.drawText(
        QRect(plot.left(), plot.bottom() + 3 + metrics.height(), plot.width(), metrics.height()),
        Qt::AlignCenter, QStringLiteral("Round"));
}
