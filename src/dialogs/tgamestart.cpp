#include "dialogs/tgamestart.h"

#include "common/guard.h"
#include "session/gameintents.h"
#include "widgets/artwork.h"
#include "widgets/gamecheckimage.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/gameupdown.h"
#include "widgets/windowaccess.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

const QString kOptionPrefix = QStringLiteral("image_letters");
const char *const kOptionLabels[Tgamestart::kGameTypes] = {
    "No Limit",       "3 Letter Words", "4 Letter Words", "5 Letter Words",
    "6 Letter Words", "7 Letter Words", "Random"};

} // namespace

Tgamestart::Tgamestart(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Lexiclash - Game Start"));
    setWindowModality(Qt::NonModal);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 12, 18, 14);
    column->setSpacing(6);
    QLabel *header = addText(QStringLiteral("Game Options"), 14, true);
    header->setAlignment(Qt::AlignCenter);
    column->addWidget(header);

    auto *numbers = new QGridLayout;
    numbers->setHorizontalSpacing(6);
    edit_playtoscore = new QLineEdit(this);
    edit_playtoscore->setObjectName(QStringLiteral("edit_playtoscore"));
    edit_playtoscore->setAccessibleName(QStringLiteral("Num of Rounds:"));
    UpDown1 = new GameUpDown(edit_playtoscore, 1, 10, 1, 5, QStringLiteral("rounds"), this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    edit_creationtime = new QLineEdit(this);
    edit_creationtime->setObjectName(QStringLiteral("edit_creationtime"));
    edit_creationtime->setAccessibleName(QStringLiteral("Creation Time:"));
    UpDown2 = new GameUpDown(edit_creationtime, 30, 120, 5, 60, QStringLiteral("seconds"), this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    int row = 0;
    for (auto [caption, edit, arrows] :
         {std::tuple{QStringLiteral("Num of Rounds:"), edit_playtoscore, UpDown1},
          std::tuple{QStringLiteral("Creation Time:"), edit_creationtime, UpDown2}}) {
        QLabel *label = addText(caption, 10, false);
        label->setBuddy(edit);
        edit->setFixedWidth(44);
        edit->setAlignment(Qt::AlignCenter);
        numbers->addWidget(label, row, 0);
        numbers->addWidget(edit, row, 1);
        numbers->addWidget(arrows, row, 2);
        ++row;
    }
    numbers->setColumnStretch(3, 1);
    column->addLayout(numbers);

    for (int n = 0; n < kGameTypes; ++n) {
        auto *option = new GameCheckImage(QString::fromLatin1(kOptionLabels[n]), this);
        option->setObjectName(kOptionPrefix + QString::number(n));
        // The option's value is the number in its hint.
        option->setProperty("hint", QString::number(n));
        connect(option, &GameCheckImage::chosen, this,
                [this, option] { guarded([this, option] { image_letters6Click(option); }); });
        image_letters[n] = option;
        column->addWidget(option);
    }
    image_show = new GameCheckImage(QStringLiteral("Show Word List"), this);
    image_show->setObjectName(QStringLiteral("image_show"));
    connect(image_show, &GameCheckImage::chosen, this,
            [this] { guarded([this] { image_showClick(); }); });
    column->addSpacing(4);
    column->addWidget(image_show);

    Image1 = new GamePictureButton(Artwork::startGameButton(), QStringLiteral("START GAME"), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    connect(Image1, &QAbstractButton::clicked, this,
            [this] { guarded([this] { button_startClick(); }); });
    column->addSpacing(6);
    column->addWidget(Image1, 0, Qt::AlignHCenter);

    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    for (GameCheckImage *option : image_letters)
        option->setPalette(palette);
    image_show->setPalette(palette);

    // As created: "No Limit" and "Random" both carry a tick until the
    // settings select one option, and the selected type is 0.
    for (int n = 0; n < kGameTypes; ++n)
        image_letters[n]->setFlag(n == 0 || n == kGameTypes - 1 ? 1 : 0);
    image_show->setFlag(1);
    gametype_ = 0;

    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
    closeOnEscape(this, [this] { hide(); });
}

void Tgamestart::setHooks(Hooks hooks)
{
    hooks_ = std::move(hooks);
}

QLabel *Tgamestart::addText(const QString &text, int pointSize, bool bold)
{
    auto *label = new QLabel(text, this);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

GameCheckImage *Tgamestart::letters(int n) const
{
    if (n < 0 || n >= kGameTypes)
        return nullptr;
    return image_letters[n];
}

void Tgamestart::checkimage(const QString &name)
{
    GameCheckImage *chosen = nullptr;
    for (GameCheckImage *option : image_letters) {
        if (option->objectName() == name)
            chosen = option;
    }
    // A stored type outside 0 to 6 names no option: fall back to the default.
    if (!chosen)
        chosen = image_letters[kGameTypes - 1];
    for (GameCheckImage *option : image_letters)
        option->setFlag(0);
    gametype_ = chosen->property("hint").toString().toInt();
    chosen->setFlag(1);
}

void Tgamestart::image_letters6Click(GameCheckImage *sender)
{
    if (sender->flag() == 0)
        checkimage(sender->objectName());
}

void Tgamestart::image_showClick()
{
    image_show->setFlag(image_show->flag() == 1 ? 0 : 1);
}

void Tgamestart::button_startClick()
{
    if (hooks_.intents)
        hooks_.intents->startGame(UpDown1->position(), UpDown2->position(), gametype_,
                                  image_show->flag() == 1);
    hide();
    if (hooks_.saveSettings)
        hooks_.saveSettings();
}

void Tgamestart::applyStartSettings(const GameStartSettings &settings)
{
    if (settings.rounds)
        UpDown1->setPosition(*settings.rounds);
    if (settings.seconds)
        UpDown2->setPosition(*settings.seconds);
    checkimage(QStringLiteral("image_letters") + QString::number(settings.gametype));
}

GameStartSettings Tgamestart::startSettings() const
{
    return {UpDown1->position(), UpDown2->position(), gametype_};
}

void Tgamestart::showCentredOn(const QWidget *window)
{
    if (window) {
        const QRect frame = window->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void Tgamestart::paintEvent(QPaintEvent *)
{
    // LbBackground1: the main window's background tile.
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), Artwork::backgroundTile());
}
