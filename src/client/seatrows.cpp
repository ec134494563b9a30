#include "client/seatrows.h"

#include "client/clientstate.h"
#include "client/seatcolours.h"
#include "common/guard.h"
#include "model/gamemodel.h"
#include "widgets/elidinglabel.h"
#include "widgets/tag.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QColor &colour)
{
    // Names come from other players: plain text, shortened with "…" when long.
    auto *label = new ElidingLabel(text, parent);
    label->setObjectName(name);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel *makeHeading(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    return label;
}

} // namespace

SeatRows::SeatRows(const ClientState &state, const GameModel &model, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , model_(model)
{
    setObjectName(QStringLiteral("panel_seats"));
    popup_kick = new QMenu(this);
    popup_kick->setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = popup_kick->addAction(QStringLiteral("Remove From Game"));
    RemoveFromGame1->setObjectName(QStringLiteral("RemoveFromGame1"));
    connect(RemoveFromGame1, &QAction::triggered, this,
            [this] { guarded([this] { RemoveFromGame1Click(); }); });

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(1);
    grid->addWidget(makeHeading(this, QStringLiteral("Last Word")), 0, 0);
    grid->addWidget(makeHeading(this, QStringLiteral("Name")), 0, 1);
    grid->addWidget(makeHeading(this, QStringLiteral("Score")), 0, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 1);

    for (int seat = 1; seat <= kRows; ++seat) {
        const QColor colour = seatColour(seat);
        const QString n = QString::number(seat);
        QLabel *lastLabel = makeLabel(this, QStringLiteral("label_last") + n, QString(), colour);
        QLabel *nameLabel =
            makeLabel(this, QStringLiteral("label_playername") + n, GameModel::kWaiting, colour);
        QLabel *scoreLabel =
            makeLabel(this, QStringLiteral("label_score") + n, QStringLiteral("0"), colour);
        grid->addWidget(lastLabel, seat, 0);
        grid->addWidget(nameLabel, seat, 1);
        grid->addWidget(scoreLabel, seat, 2);
        for (QLabel *label : {lastLabel, nameLabel}) {
            setTag(label, seat);
            label->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(label, &QWidget::customContextMenuRequested, this,
                    [this, label](const QPoint &pos) {
                        guarded([this, label] { label_playername1ContextPopup(label); });
                        popup_kick->popup(label->mapToGlobal(pos));
                    });
        }
        showSeat(seat);
    }
    connect(&model_, &GameModel::seatChanged, this, &SeatRows::showSeat);
}

void SeatRows::showSeat(int seat)
{
    QLabel *name = playername(seat);
    if (!name)
        return;
    name->setText(model_.name(seat));
    score(seat)->setText(QString::number(model_.total(seat)));
    last(seat)->setText(model_.lastWord(seat));
}

QLabel *SeatRows::rowLabel(const char *prefix, int seat) const
{
    if (seat < 1 || seat > kRows)
        return nullptr;
    return findChild<QLabel *>(QLatin1String(prefix) + QString::number(seat));
}

QLabel *SeatRows::playername(int seat) const
{
    return rowLabel("label_playername", seat);
}

QLabel *SeatRows::score(int seat) const
{
    return rowLabel("label_score", seat);
}

QLabel *SeatRows::last(int seat) const
{
    return rowLabel("label_last", seat);
}

void SeatRows::setKickHandler(std::function<void(int)> handler)
{
    kick_ = std::move(handler);
}

void SeatRows::label_playername1ContextPopup(QLabel *label)
{
    const int seat = tagOf(label);
    const bool leads = state_.hosting || model_.leadsGame();
    RemoveFromGame1->setEnabled(leads && model_.occupied(seat));
    setTag(popup_kick, seat);
}

void SeatRows::RemoveFromGame1Click()
{
    if (kick_)
        kick_(tagOf(popup_kick));
}
