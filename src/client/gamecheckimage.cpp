#include "client/gamecheckimage.h"

#include "client/artwork.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kTextGap = 4;
}

GameCheckImage::GameCheckImage(const QString &label, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(label);
    setAccessibleName(label);
    // Checkable so that a screen reader tells the state; the flag drives it.
    setCheckable(true);
    setChecked(false);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, &GameCheckImage::chosen);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (int(on) == flag_)
            return;
        // Not set through setFlag: the state stays the flag's, and the window decides.
        setChecked(flag_ == 1);
        emit chosen();
    });
}

void GameCheckImage::setFlag(int flag)
{
    flag_ = flag == 0 ? 0 : 1;
    setChecked(flag_ == 1);
    update();
}

QPixmap GameCheckImage::picture() const
{
    return Artwork::checkPicture(flag_);
}

QSize GameCheckImage::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return {Artwork::kCheckSize.width() + kTextGap + textWidth + 4, Artwork::kCheckSize.height()};
}

void GameCheckImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture());
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect textRect(Artwork::kCheckSize.width() + kTextGap, 0,
                         width() - Artwork::kCheckSize.width() - kTextGap, height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (!hasFocus())
        return;
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void GameCheckImage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void GameCheckImage::nextCheckState()
{
    // The window's click handler sets the flag; a click alone changes nothing.
    setChecked(flag_ == 1);
}
