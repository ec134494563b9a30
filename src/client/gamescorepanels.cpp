#include "client/gamescorepanels.h"

#include "client/seatcolours.h"
#include "widgets/artwork.h"
#include "widgets/contrast.h"
#include "widgets/elidinglabel.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int kPanelWidth = 150;
constexpr int kPanelHeight = 94;
constexpr int kGap = 3;
constexpr int kStarterHeight = 18;
constexpr int kColumns = 3;
// Columns of the numbers inside a panel.
constexpr int kRoundX = 56;
constexpr int kTotalX = 100;
constexpr int kNumberWidth = 44;
// The group heads reach further left than the numbers under them.
constexpr int kHeadSpill = 16;

QLabel *makeLabel(QWidget *parent, const QString &text, QRect where, bool bold,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    // Names come from other players: plain text, shortened with "…" when long.
    auto *label = new ElidingLabel(text, parent);
    label->setGeometry(where);
    label->setAlignment(align);
    QFont font = label->font();
    font.setBold(bold);
    font.setPointSize(9);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

GameScorePanels::GameScorePanels(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("panel_scores"));
    const int rows = (kPanels + kColumns - 1) / kColumns;
    setFixedSize(kColumns * kPanelWidth + (kColumns - 1) * kGap, rows * (kPanelHeight + kGap) + 20);
    for (int seat = 1; seat <= kPanels; ++seat) {
        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("panel_") + QString::number(seat));
        const int column = (seat - 1) % kColumns;
        const int row = (seat - 1) / kColumns;
        panel->setGeometry(column * (kPanelWidth + kGap), row * (kPanelHeight + kGap), kPanelWidth,
                           kPanelHeight);
        buildPanel(seat, panel);
    }
    label_starter = makeLabel(this, QStringLiteral("Starter Word: "),
                              QRect(0, rows * (kPanelHeight + kGap), width(), kStarterHeight), true,
                              Qt::AlignCenter);
    label_starter->setObjectName(QStringLiteral("label_starter"));
    QPalette starter = label_starter->palette();
    starter.setColor(QPalette::WindowText, QColor(255, 226, 120));
    label_starter->setPalette(starter);
}

void GameScorePanels::buildPanel(int seat, QFrame *panel)
{
    panel->setFrameShape(QFrame::Box);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    // The seat's colour, dark enough for the white texts on it.
    palette.setColor(QPalette::Window, darkenedFor(seatColour(seat).darker(115), Qt::white, 4.6));
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, 150));
    panel->setPalette(palette);

    const QString prefix = QStringLiteral("label_score") + QString::number(seat);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    QLabel *name = makeLabel(panel, QString(), QRect(6, 2, kPanelWidth - 12, 17), true);
    name->setObjectName(prefix + QLatin1Char('0'));
    makeLabel(panel, QStringLiteral("Round"),
              QRect(kRoundX - kHeadSpill, 19, kNumberWidth + kHeadSpill, 15), true, right);
    makeLabel(panel, QStringLiteral("Total"), QRect(kTotalX, 19, kNumberWidth, 15), true, right);
    makeLabel(panel, QStringLiteral("Words"), QRect(6, 34, kRoundX - 6, 15), false);
    makeLabel(panel, QStringLiteral("Score"), QRect(6, 49, kRoundX - 6, 15), false);
    const struct {
        int field;
        int x;
        int y;
    } numbers[] = {{1, kRoundX, 34}, {2, kRoundX, 49}, {3, kTotalX, 34}, {4, kTotalX, 49}};
    for (const auto &number : numbers) {
        QLabel *label = makeLabel(panel, QStringLiteral("0"),
                                  QRect(number.x, number.y, kNumberWidth, 15), true, right);
        label->setObjectName(prefix + QString::number(number.field));
    }

    auto *winner = new QLabel(panel);
    winner->setObjectName(QStringLiteral("image_winner") + QString::number(seat));
    const QPixmap picture = Artwork::winnerPicture();
    winner->setPixmap(picture);
    winner->setAccessibleName(QStringLiteral("WINNER"));
    const QSize size = picture.deviceIndependentSize().toSize();
    // Under the numbers, so the winner's panel stands out at a glance.
    winner->setGeometry((kPanelWidth - size.width()) / 2, kPanelHeight - size.height() - 2,
                        size.width(), size.height());
    winner->hide();
}

QFrame *GameScorePanels::panel(int seat) const
{
    if (seat < 1 || seat > kPanels)
        return nullptr;
    return findChild<QFrame *>(QStringLiteral("panel_") + QString::number(seat));
}

QLabel *GameScorePanels::scoreLabel(int seat, int field) const
{
    if (seat < 1 || seat > kPanels || field < 0 || field > 4)
        return nullptr;
    return findChild<QLabel *>(QStringLiteral("label_score") + QString::number(seat) +
                               QString::number(field));
}

QLabel *GameScorePanels::winnerImage(int seat) const
{
    if (seat < 1 || seat > kPanels)
        return nullptr;
    return findChild<QLabel *>(QStringLiteral("image_winner") + QString::number(seat));
}

void GameScorePanels::showPanel(int seat, const SeatPanel &shown)
{
    if (seat < 1 || seat > kPanels)
        return;
    scoreLabel(seat, 0)->setText(shown.name);
    scoreLabel(seat, 1)->setText(QString::number(shown.roundWords));
    scoreLabel(seat, 2)->setText(QString::number(shown.roundPoints));
    scoreLabel(seat, 3)->setText(QString::number(shown.gameWords));
    scoreLabel(seat, 4)->setText(QString::number(shown.total));
}

void GameScorePanels::paintEvent(QPaintEvent *)
{
    // A dark veil keeps the panels readable over whatever lies beneath.
    QPainter painter(this);
    painter.fillRect(rect(), QColor(10, 20, 60, 235));
}
