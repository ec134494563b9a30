#include "client/roundchart.h"

#include "client/reviewlook.h"
#include "client/seatcolours.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMargin = 10;
constexpr int kSwatch = 11;
constexpr int kLegendGap = 14;
// The space a rotated caption keeps from the axis.
constexpr int kCaptionGap = 3;

} // namespace

RoundChart::RoundChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("chart_rounds"));
    setAccessibleName(QStringLiteral("Points per round"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void RoundChart::setSummary(const GameSummary &summary, const std::map<int, QString> &names)
{
    summary_ = summary;
    names_ = names;
    picked_ = -1;
    setAccessibleDescription(figures());
    updateGeometry();
    update();
}

void RoundChart::setView(View view)
{
    view_ = view;
    setAccessibleName(view == View::PerRound ? QStringLiteral("Points per round")
                                             : QStringLiteral("Running totals"));
    setAccessibleDescription(figures());
    update();
}

int RoundChart::value(const PlayerSummary &player, int index) const
{
    if (view_ == View::PerRound)
        return player.pointsPerRound.value(index);
    int total = 0;
    for (int i = 0; i <= index; ++i)
        total += player.pointsPerRound.value(i);
    return total;
}

QString RoundChart::caption(int index) const
{
    const RoundLine &round = summary_.rounds.at(index);
    const QString letters = QString::fromLatin1(round.rule.prefix);
    return round.tieBreak ? QStringLiteral("%1 %2 tie-break").arg(round.round).arg(letters)
                          : QStringLiteral("%1 %2").arg(round.round).arg(letters);
}

QString RoundChart::detailText(int index) const
{
    const RoundLine &round = summary_.rounds.at(index);
    QStringList points;
    for (const auto &[seat, player] : summary_.players)
        points << ReviewLook::seatName(names_, seat) + " " + QString::number(value(player, index));
    const QString which =
        round.tieBreak ? QStringLiteral("Round %1, tie-break, %2") : QStringLiteral("Round %1, %2");
    const QString lead = view_ == View::PerRound ? QString() : QStringLiteral("Totals after ");
    return lead + which.arg(round.round).arg(QString::fromLatin1(round.rule.prefix)) + ": " +
           points.join(QStringLiteral(", "));
}

QString RoundChart::hintText()
{
    return QStringLiteral(
        "Point at a round, or use Left and Right, for its figures; click or Enter for its review.");
}

QString RoundChart::figures() const
{
    QStringList rounds;
    for (qsizetype i = 0; i < summary_.rounds.size(); ++i) {
        const RoundLine &round = summary_.rounds.at(i);
        QStringList points;
        for (const auto &[seat, player] : summary_.players)
            points << ReviewLook::seatName(names_, seat) + " " +
                          QString::number(value(player, int(i)));
        rounds << (round.tieBreak ? QStringLiteral("Round %1, tie-break: ")
                                  : QStringLiteral("Round %1: "))
                          .arg(round.round) +
                      points.join(QStringLiteral(", "));
    }
    return rounds.isEmpty() ? QStringLiteral("No rounds played.")
                            : rounds.join(QStringLiteral(". ")) + '.';
}

RoundChart::Layout RoundChart::layout() const
{
    Layout out;
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    const int right = width() - kMargin;

    // The legend wraps to as many rows as the names need; a name wider than a
    // row is shortened with an ellipsis.
    int x = kMargin;
    int y = kMargin;
    for (const auto &[seat, player] : summary_.players) {
        const QString name = metrics.elidedText(ReviewLook::seatName(names_, seat), Qt::ElideRight,
                                                std::max(20, right - kMargin - 16));
        const int entry = 16 + metrics.horizontalAdvance(name);
        if (x > kMargin && x + entry > right) {
            x = kMargin;
            y += line + 4;
        }
        out.legend.append(QRect(x, y, entry, line));
        out.legendNames.append(name);
        x += entry + kLegendGap;
    }
    const int legendBottom = summary_.players.empty() ? kMargin : y + line + 4;
    // The line above the plot holds the hint; a picked round's figures may run
    // further down, over the plot, on a ground of their own.
    const int detailHeight =
        metrics.boundingRect(QRect(0, 0, right - kMargin, 1000), Qt::TextWordWrap, hintText())
            .height();
    out.detail = QRect(kMargin, legendBottom, right - kMargin, detailHeight);

    for (const auto &[seat, player] : summary_.players)
        for (int i = 0; i < summary_.rounds.size(); ++i)
            out.highest = std::max(out.highest, value(player, i));
    const int axisLeft = kMargin + metrics.horizontalAdvance(QString::number(out.highest)) + 6;
    const int groups = std::max<int>(1, int(summary_.rounds.size()));
    const double group = double(right - axisLeft) / groups;

    int captionWidth = 0;
    for (int i = 0; i < summary_.rounds.size(); ++i)
        captionWidth = std::max(captionWidth, metrics.horizontalAdvance(caption(i)));
    out.captionsUpright = captionWidth <= group - 4;
    const int captionHeight = out.captionsUpright ? line : captionWidth + kCaptionGap;

    const int plotTop = out.detail.bottom() + 1 + line + 2;
    const int plotBottom = height() - kMargin - captionHeight - 3;
    out.plot = QRect(axisLeft, plotTop, right - axisLeft, std::max(10, plotBottom - plotTop));
    out.captions = QRect(axisLeft, out.plot.bottom() + 3, out.plot.width(), captionHeight);

    if (!out.captionsUpright && group < line + 1)
        out.captionStep = int(std::ceil((line + 1) / group));
    for (int g = 0; g < summary_.rounds.size(); g += out.captionStep) {
        const QRect box = groupRect(g);
        if (out.captionsUpright)
            out.figureBoxes.append(QRectF(box.left(), out.captions.top(), box.width(), line));
        else
            out.figureBoxes.append(QRectF(box.center().x() - line / 2.0, out.captions.top(), line,
                                          metrics.horizontalAdvance(caption(g))));
    }
    for (const QRect &entry : out.legend)
        out.figureBoxes.append(QRectF(entry));
    // Figures stand over a round's bars only where every one of them fits its bar.
    for (int g = 0; g < summary_.rounds.size(); ++g) {
        bool fits = view_ == View::PerRound;
        int b = 0;
        QList<QRectF> boxes;
        for (const auto &[seat, player] : summary_.players) {
            const int points = value(player, g);
            const QRectF shape = barShape(g, b++, points, out.plot, out.highest);
            fits = fits && metrics.horizontalAdvance(QString::number(points)) < shape.width();
            boxes.append(QRectF(shape.left(), shape.top() - line - 1, shape.width(), line));
        }
        out.barFigures.append(fits);
        if (fits)
            out.figureBoxes.append(boxes);
    }
    return out;
}

QRect RoundChart::groupRect(int index) const
{
    if (index < 0 || index >= summary_.rounds.size())
        return {};
    const QFontMetrics metrics(font());
    int highest = 1;
    for (const auto &[seat, player] : summary_.players)
        for (int i = 0; i < summary_.rounds.size(); ++i)
            highest = std::max(highest, value(player, i));
    const int axisLeft = kMargin + metrics.horizontalAdvance(QString::number(highest)) + 6;
    const double group = double(width() - kMargin - axisLeft) / int(summary_.rounds.size());
    const int left = axisLeft + int(index * group);
    return QRect(left, 0, int((index + 1) * group) - int(index * group), height());
}

bool RoundChart::figuresCollide() const
{
    const QList<QRectF> boxes = layout().figureBoxes;
    for (qsizetype i = 0; i < boxes.size(); ++i)
        for (qsizetype j = i + 1; j < boxes.size(); ++j)
            if (boxes[i].intersects(boxes[j]))
                return true;
    return false;
}

QSize RoundChart::sizeHint() const
{
    return {480, 260};
}

QSize RoundChart::minimumSizeHint() const
{
    // Narrower rounds drop captions in turn rather than let them collide.
    return {220, 200};
}

QRectF RoundChart::barShape(int group, int b, int points, const QRect &plot, int highest) const
{
    const int bars = std::max(1, int(summary_.players.size()));
    const QRect box = groupRect(group);
    const double bar = std::min(28.0, (box.width() - 6.0) / bars);
    const double left = box.left() + (box.width() - bar * bars) / 2;
    const double h = plot.height() * double(points) / std::max(1, highest);
    return QRectF(left + b * bar + 0.5, plot.bottom() - h, bar - 1, h);
}

int RoundChart::groupAt(const QPoint &point) const
{
    for (int g = 0; g < summary_.rounds.size(); ++g)
        if (groupRect(g).contains(point))
            return g;
    return -1;
}

void RoundChart::pick(int index)
{
    if (index == picked_)
        return;
    picked_ = index;
    update();
}

void RoundChart::mouseMoveEvent(QMouseEvent *event)
{
    pick(groupAt(event->position().toPoint()));
}

void RoundChart::mousePressEvent(QMouseEvent *event)
{
    const int index = groupAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || index < 0)
        return QWidget::mousePressEvent(event);
    pick(index);
    emit roundChosen(index);
}

void RoundChart::leaveEvent(QEvent *event)
{
    if (!hasFocus())
        pick(-1);
    QWidget::leaveEvent(event);
}

void RoundChart::keyPressEvent(QKeyEvent *event)
{
    const int rounds = int(summary_.rounds.size());
    switch (event->key()) {
    case Qt::Key_Left:
        if (rounds > 0)
            pick(picked_ <= 0 ? rounds - 1 : picked_ - 1);
        return;
    case Qt::Key_Right:
        if (rounds > 0)
            pick(picked_ < 0 || picked_ >= rounds - 1 ? 0 : picked_ + 1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (picked_ >= 0)
            emit roundChosen(picked_);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
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

    const Layout lay = layout();
    const QFontMetrics metrics(font());
    int entry = 0;
    for (const auto &[seat, player] : summary_.players) {
        const QRect at = lay.legend.at(entry);
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
        painter.setBrush(seatColour(seat));
        painter.drawRect(QRectF(at.left() + 0.5, at.top() + 3.5, kSwatch, kSwatch));
        painter.setPen(ReviewLook::kText);
        painter.drawText(QPoint(at.left() + 16, at.top() + metrics.ascent()),
                         lay.legendNames.at(entry));
        ++entry;
    }

    const int groups = int(summary_.rounds.size());
    const int bars = int(summary_.players.size());
    if (groups == 0 || bars == 0)
        return;

    if (picked_ < 0) {
        painter.setPen(ReviewLook::kCaption);
        painter.drawText(lay.detail, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, hintText());
    }
    const QRect plot = lay.plot;
    painter.setPen(QPen(ReviewLook::kCaption, 1));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawText(QRect(kMargin, plot.top() - metrics.height() / 2, plot.left() - kMargin - 4,
                           metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(lay.highest));
    painter.drawText(QRect(kMargin, plot.bottom() - metrics.height() / 2, plot.left() - kMargin - 4,
                           metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));

    const auto yOf = [&](int points) {
        return plot.bottom() - double(plot.height()) * points / lay.highest;
    };
    for (int g = 0; g < groups; ++g) {
        const RoundLine &round = summary_.rounds.at(g);
        const QRect box = groupRect(g);
        const QRectF ground(box.left() + 2, plot.top(), box.width() - 4, plot.height());
        painter.setPen(Qt::NoPen);
        if (round.tieBreak) {
            // The tie-break's group stands on a lighter ground.
            painter.setBrush(QColor(255, 226, 120, 40));
            painter.drawRect(ground);
        }
        if (g == picked_) {
            painter.setBrush(QColor(255, 255, 255, 30));
            painter.drawRect(ground);
        }
        painter.setPen(round.tieBreak ? ReviewLook::kHighlight : ReviewLook::kCaption);
        if (g % lay.captionStep != 0)
            continue;
        if (lay.captionsUpright) {
            painter.drawText(QRect(box.left(), lay.captions.top(), box.width(), metrics.height()),
                             Qt::AlignCenter, caption(g));
        } else {
            // Read from the bottom up, ending just under the axis.
            painter.save();
            painter.translate(box.center().x() + metrics.ascent() / 2 - 1,
                              lay.captions.top() + kCaptionGap);
            painter.rotate(90);
            painter.drawText(QPoint(0, 0), caption(g));
            painter.restore();
        }
    }

    if (view_ == View::RunningTotals) {
        for (const auto &[seat, player] : summary_.players) {
            QPolygonF line;
            for (int g = 0; g < groups; ++g)
                line << QPointF(groupRect(g).center().x(), yOf(value(player, g)));
            painter.setPen(QPen(seatColour(seat).lighter(140), 2.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(line);
            painter.setPen(QPen(QColor(255, 255, 255, 220), 1));
            painter.setBrush(seatColour(seat));
            for (const QPointF &point : line)
                painter.drawEllipse(point, 3.5, 3.5);
        }
        paintDetail(painter, lay);
        return;
    }

    for (int g = 0; g < groups; ++g) {
        int b = 0;
        for (const auto &[seat, player] : summary_.players) {
            const int points = value(player, g);
            const QRectF shape = barShape(g, b++, points, plot, lay.highest);
            painter.setPen(QPen(QColor(255, 255, 255, 200), shape.width() > 3 ? 1 : 0));
            painter.setBrush(seatColour(seat));
            if (points > 0)
                painter.drawRect(shape);
            if (lay.barFigures.value(g)) {
                painter.setPen(ReviewLook::kText);
                painter.drawText(QRectF(shape.left(), shape.top() - metrics.height() - 1,
                                        shape.width(), metrics.height()),
                                 Qt::AlignCenter, QString::number(points));
            }
        }
    }
    paintDetail(painter, lay);
}

void RoundChart::paintDetail(QPainter &painter, const Layout &lay) const
{
    if (picked_ < 0)
        return;
    const QRect wrapped = painter.fontMetrics().boundingRect(
        QRect(lay.detail.left(), lay.detail.top(), lay.detail.width(), 1000),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, detailText(picked_));
    const QRect ground = QRect(lay.detail.topLeft(), QSize(lay.detail.width(), wrapped.height()))
                             .adjusted(-4, -2, 4, 2);
    painter.setPen(QPen(ReviewLook::kCaption, 1));
    painter.setBrush(ReviewLook::kField);
    painter.drawRoundedRect(QRectF(ground).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(ReviewLook::kText);
    painter.drawText(lay.detail.adjusted(0, 0, 0, wrapped.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, detailText(picked_));
}
