#include "client/pressablelabel.h"

#include "client/windowaccess.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PressableLabel::PressableLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    installWindowAccess();
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void PressableLabel::press()
{
    emit pressed();
}

void PressableLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    press();
}

void PressableLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    press();
}

void PressableLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
