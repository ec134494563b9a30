#include "client/gameboard.h"

#include "client/gamescorepanels.h"
#include "widgets/artwork.h"
#include "widgets/elidinglabel.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/tag.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 462;
constexpr int kHeight = 300;
// The boxes of the round's requirements.
const QRect kLengthBox(168, 4, 128, 50);
const QRect kBeginsBox(302, 4, 156, 50);
const QRect kBarTrack(4, 77, GameBoard::kBarWidth, 10);
const QPoint kEntryAt(4, 102);
const QRect kWordListTitle(244, 100, 214, 16);
const QColor kCaption(170, 190, 235);
const QColor kValue(255, 255, 255);
const QColor kHighlight(255, 226, 120);

} // namespace

GameBoard::GameBoard(QWidget *area, QPushButton *startButton)
    : QWidget(area)
    , button_start(startButton)
    , tile_(Artwork::backgroundTile())
{
    setObjectName(QStringLiteral("gameboard"));
    setFixedSize(kWidth, kHeight);
    // The board takes the whole game area, whatever the main window put there.
    delete area->layout();
    auto *fill = new QVBoxLayout(area);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(this, 0, Qt::AlignTop | Qt::AlignHCenter);

    buildInfo();
    buildEntry();
    buildWordList();

    panel_scores = new GameScorePanels(this);
    // Between rounds the panels take the place of the entry box and the word list.
    panel_scores->move(2, kHeight - panel_scores->height());
    panel_scores->hide();

    button_start->setParent(this);
    const QPixmap start = Artwork::startGameButton();
    button_start->setText(QString());
    button_start->setIcon(start);
    button_start->setIconSize(start.deviceIndependentSize().toSize());
    button_start->setFlat(true);
    button_start->setAccessibleName(QStringLiteral("START GAME"));
    button_start->setToolTip(QStringLiteral("START GAME"));
    button_start->setCursor(Qt::PointingHandCursor);
    button_start->setFocusPolicy(Qt::StrongFocus);
    button_start->setFixedSize(start.deviceIndependentSize().toSize() + QSize(4, 4));
    button_start->setStyleSheet(
        QStringLiteral("QPushButton { border: none; background: transparent; }"
                       "QPushButton:focus { border: 1px dotted white; border-radius: 5px; }"));
    button_start->move(kWidth - button_start->width() - 2, 52);
    button_start->installEventFilter(this);
    button_start->raise();

    for (int reason = 0; reason < int(imagelist_error.size()); ++reason)
        imagelist_error[reason] = Artwork::errorBanner(reason);

    setTabOrder(edit_word, button_igiveup);
    setTabOrder(button_igiveup, button_start);
}

ElidingLabel *GameBoard::addLabel(const char *name, const QString &text, QRect where, int pointSize,
                                  bool bold, const QColor &colour, Qt::Alignment align)
{
    // Texts from the network are shown as they are, never as markup, and are
    // shortened with "…" rather than cut when they do not fit.
    auto *label = new ElidingLabel(text, this);
    if (name)
        label->setObjectName(QLatin1String(name));
    label->setGeometry(where);
    label->setAlignment(align);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

void GameBoard::buildInfo()
{
    addLabel(nullptr, QStringLiteral("Round:"), QRect(6, 4, 92, 16), 9, false, kCaption);
    addLabel(nullptr, QStringLiteral("Time Per Turn:"), QRect(6, 21, 92, 16), 9, false, kCaption);
    addLabel(nullptr, QStringLiteral("Word Length:"), QRect(6, 38, 92, 16), 9, false, kCaption);
    label_round =
        addLabel("label_round", QStringLiteral("0 of 5"), QRect(98, 4, 66, 16), 9, true, kValue);
    label_timeperturn = addLabel("label_timeperturn", QStringLiteral("60 secs"),
                                 QRect(98, 21, 66, 16), 9, true, kValue);
    label_numletters = addLabel("label_numletters", QStringLiteral("3 Letters"),
                                QRect(98, 38, 66, 16), 9, true, kValue);

    addLabel(nullptr, QStringLiteral("Word Length"), kLengthBox.adjusted(0, 2, 0, -32), 8, false,
             kCaption, Qt::AlignCenter);
    label_word1 = addLabel("label_word1", QString(), kLengthBox.adjusted(0, 18, 0, -2), 13, true,
                           kValue, Qt::AlignCenter);
    addLabel(nullptr, QStringLiteral("Begins With"), kBeginsBox.adjusted(0, 2, 0, -32), 8, false,
             kCaption, Qt::AlignCenter);
    label_word2 = addLabel("label_word2", QString(), kBeginsBox.adjusted(0, 14, 0, -1), 20, true,
                           kHighlight, Qt::AlignCenter);

    // The longest status, "Posting Scores.. Please Wait.", and the longest
    // countdown text share the row left of the start button.
    label_status = addLabel("label_status", QStringLiteral("Welcome to Lexiclash"),
                            QRect(6, 56, 220, 20), 10, true, kValue);
    label_timer = addLabel("label_timer", QStringLiteral("Time: 0:00"), QRect(224, 56, 80, 20), 10,
                           true, QColor(224, 227, 157), Qt::AlignRight | Qt::AlignVCenter);

    image_timer = new QLabel(this);
    image_timer->setObjectName(QStringLiteral("image_timer"));
    image_timer->setAccessibleName(QStringLiteral("Time left"));
    image_timer->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffe27a, stop:1 #e08a00);"
        "border-radius: 3px;"));
    image_timer->setGeometry(kBarTrack.x(), kBarTrack.y(), 0, kBarTrack.height());
}

void GameBoard::buildEntry()
{
    const QPixmap box = Artwork::wordEntryBox();
    const QSize boxSize = box.deviceIndependentSize().toSize();
    image_word = new QLabel(this);
    image_word->setObjectName(QStringLiteral("image_word"));
    image_word->setPixmap(box);
    image_word->setAccessibleName(QStringLiteral("ENTER YOUR WORDS"));
    image_word->setGeometry(QRect(kEntryAt, boxSize));

    edit_word = new QLineEdit(image_word);
    edit_word->setObjectName(QStringLiteral("edit_word"));
    edit_word->setAccessibleName(QStringLiteral("ENTER YOUR WORDS"));
    edit_word->setGeometry(Artwork::wordEntryFieldRect());
    edit_word->setFrame(false);
    QFont font = edit_word->font();
    font.setPointSize(11);
    font.setBold(true);
    edit_word->setFont(font);

    image_full = new QLabel(this);
    image_full->setObjectName(QStringLiteral("image_full"));
    image_full->setPixmap(Artwork::gameFullBanner());
    image_full->setAccessibleName(QStringLiteral("You are not playing GAME IS FULL"));
    image_full->setGeometry(QRect(kEntryAt, boxSize));

    button_igiveup =
        new GamePictureButton(Artwork::giveUpButton(), QStringLiteral("I GIVE UP"), this);
    button_igiveup->setObjectName(QStringLiteral("button_igiveup"));
    button_igiveup->move(kEntryAt.x() + (boxSize.width() - button_igiveup->width()) / 2,
                         kEntryAt.y() + boxSize.height() + 8);

    image_error = new QLabel(this);
    image_error->setObjectName(QStringLiteral("image_error"));
    image_error->setGeometry(
        QRect(QPoint(kEntryAt.x() + (boxSize.width() - Artwork::kErrorBannerSize.width()) / 2,
                     button_igiveup->geometry().bottom() + 10),
              Artwork::kErrorBannerSize));

    for (QWidget *item :
         std::initializer_list<QWidget *>{image_word, image_full, button_igiveup, image_error})
        item->hide();
}

void GameBoard::buildWordList()
{
    addLabel(nullptr, QStringLiteral("WORDS GUESSED"), kWordListTitle, 9, true, kHighlight,
             Qt::AlignCenter);
    memo_wordlist = new QTextEdit(this);
    memo_wordlist->setObjectName(QStringLiteral("memo_wordlist"));
    memo_wordlist->setAccessibleName(QStringLiteral("WORDS GUESSED"));
    memo_wordlist->setReadOnly(true);
    memo_wordlist->setAcceptRichText(false);
    memo_wordlist->setGeometry(kWordListTitle.x(), kWordListTitle.bottom() + 3,
                               kWordListTitle.width(), kHeight - kWordListTitle.bottom() - 7);
}

bool GameBoard::drawError(int reason)
{
    if (reason < 0 || reason >= int(imagelist_error.size()))
        return false;
    image_error->setPixmap(imagelist_error[reason]);
    image_error->setAccessibleName(Artwork::errorBannerText(reason));
    return true;
}

void GameBoard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawTiledPixmap(rect(), tile_);
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
    painter.setBrush(QColor(0, 0, 30, 110));
    for (const QRect &box : {kLengthBox, kBeginsBox})
        painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 20, 140));
    painter.drawRoundedRect(QRectF(kBarTrack), 3, 3);
}

bool GameBoard::eventFilter(QObject *watched, QEvent *event)
{
    // A flat picture button still answers Enter, like the other picture buttons.
    if (watched == button_start && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button_start->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
