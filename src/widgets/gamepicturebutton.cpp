#include "widgets/gamepicturebutton.h"

#include <QKeyEvent>
#include <QPainter>

GamePictureButton::GamePictureButton(const QPixmap &picture, const QString &text, QWidget *parent)
    : QAbstractButton(parent)
    , picture_(picture)
{
    setAccessibleName(text);
    setToolTip(text);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(picture_.deviceIndependentSize().toSize());
}

QSize GamePictureButton::sizeHint() const
{
    return picture_.deviceIndependentSize().toSize();
}

void GamePictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A pressed button sinks by a pixel so a click can be seen.
    const QPoint offset = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    painter.drawPixmap(offset, picture_);
    if (!hasFocus())
        return;
    QPen pen(Qt::white, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
}

void GamePictureButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
