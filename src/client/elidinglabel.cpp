#include "client/elidinglabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

ElidingLabel::ElidingLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    // Names come from other players: never let them become markup.
    setTextFormat(Qt::PlainText);
    setText(text);
}

void ElidingLabel::setText(const QString &text)
{
    setText(text, QString());
}

void ElidingLabel::setText(const QString &head, const QString &tail)
{
    tailLength_ = tail.size();
    QLabel::setText(head + tail);
    update();
}

QString ElidingLabel::shownText() const
{
    const QFontMetrics metrics(font());
    const int room = contentsRect().width() - 2 * margin() - (indent() > 0 ? indent() : 0);
    const QString whole = text();
    if (metrics.horizontalAdvance(whole) <= room)
        return whole;
    const QString tail = whole.right(tailLength_);
    const QString head = whole.left(whole.size() - tailLength_);
    return metrics.elidedText(head, Qt::ElideRight, room - metrics.horizontalAdvance(tail)) + tail;
}

QSize ElidingLabel::minimumSizeHint() const
{
    // May be narrower than its text: that is what the "…" is for.
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("W…")), QLabel::minimumSizeHint().height()};
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area,
                          int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), shownText(), foregroundRole());
}
