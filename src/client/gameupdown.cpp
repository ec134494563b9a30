#include "client/gameupdown.h"

#include "common/guard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

GameUpDown::GameUpDown(QLineEdit *associate, int minimum, int maximum, int increment, int position,
                       const QString &what, QWidget *parent)
    : QWidget(parent)
    , associate_(associate)
    , minimum_(minimum)
    , maximum_(maximum)
    , increment_(increment)
    , position_(minimum)
{
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAccessibleName(QStringLiteral("More ") + what);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAccessibleName(QStringLiteral("Fewer ") + what);
    for (QToolButton *arrow : {up_, down_}) {
        arrow->setFocusPolicy(Qt::StrongFocus);
        arrow->setAutoRepeat(true);
        arrow->setFixedSize(18, 12);
        // Dark arrows on the light button face, whatever the window's text colour.
        QPalette dark = arrow->palette();
        dark.setColor(QPalette::ButtonText, Qt::black);
        dark.setColor(QPalette::WindowText, Qt::black);
        arrow->setPalette(dark);
    }
    connect(up_, &QToolButton::clicked, this, [this] { guarded([this] { stepBy(1); }); });
    connect(down_, &QToolButton::clicked, this, [this] { guarded([this] { stepBy(-1); }); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(up_);
    column->addWidget(down_);

    associate_->setReadOnly(true);
    associate_->installEventFilter(this);
    setPosition(position);
}

void GameUpDown::setPosition(int position)
{
    position_ = std::clamp(position, minimum_, maximum_);
    associate_->setText(QString::number(position_));
}

void GameUpDown::stepBy(int steps)
{
    // Computed in 64 bits so that no step count can overflow before the clamp.
    const qint64 target = qint64(position_) + qint64(steps) * increment_;
    setPosition(int(std::clamp<qint64>(target, minimum_, maximum_)));
}

bool GameUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            guarded([this, key] { stepBy(key == Qt::Key_Up ? 1 : -1); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
