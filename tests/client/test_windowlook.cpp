// The windows as a player sees them: every fixed text fits its control, names
// that do not fit end in "…", every text on the dark tiles and the coloured
// panels stands out from what is really drawn behind it, the tally window
// opens like the others, and a narrowed main window never lets the chat cover
// the board. Run once at the platform's own 96 dpi and once scaled to 120 dpi.
#include "client/chatpane.h"
#include "client/dispatcher.h"
#include "client/gameboard.h"
#include "client/gameview.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "tallywindow/ttallylist.h"
#include "widgets/artwork.h"
#include "widgets/contrast.h"
#include "widgets/elidinglabel.h"
#include "widgets/gamecheckimage.h"
#include "widgets/gameupdown.h"
#include "windowsupport.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <array>
#include <memory>

namespace {

// All the windows of the program, in the state in which they show most text:
// the main window between two rounds of a full game with its score panels up.
struct Windows : AllWindows {
    Windows()
    {
        showAsHost(chat, 1);
        const char *names[] = {"Ann", "Klot", "Marcus", "Jo", "Wilhelmina", "Krazy"};
        receive(chat, Msg::newplayerinfo(1, names[0]));
        for (int seat = 2; seat <= 6; ++seat)
            receive(chat, Msg::existingplayers(seat, names[seat - 1]));
        receive(chat, Msg::startgame("Ann", 10, 120, 0));
        receive(chat, Msg::startround({10, 120, 0, "BA", 1, "BANDIT"}));
        chat.model->turntime->stop();
        std::array<Msg::SeatScore, 6> scores{};
        for (int seat = 1; seat <= 6; ++seat)
            scores[seat - 1] = {seat, 888, 188, 88, 288};
        receive(chat, Msg::endround(scores));
        spylist.addSpy(QStringLiteral("7: Watcher"));
        for (QWidget *window : all())
            window->show();
        QApplication::processEvents();
    }
};

Windows *windows = nullptr;

// A control whose text is fixed by the program (not a name or a number).
bool isFixedText(const QWidget *control)
{
    static const QStringList variable = {
        QStringLiteral("label_playername"), QStringLiteral("label_last"),
        QStringLiteral("label_score"),      QStringLiteral("label_word"),
        QStringLiteral("label_starter"),    QStringLiteral("mylabel_"),
        QStringLiteral("label_hisname"),    QStringLiteral("label_")};
    const QString name = control->objectName();
    if (name == QLatin1String("label_caption") || name == QLatin1String("label_note") ||
        name == QLatin1String("label_status") || name.startsWith(QLatin1String("label_phrase")))
        return true;
    for (const QString &prefix : variable) {
        if (name.startsWith(prefix))
            return false;
    }
    return true;
}

QString textOf(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->pixmap().isNull() ? label->text() : QString();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(control))
        return box->title();
    return {};
}

// Where the text is drawn inside its control.
QRect textArea(const QWidget *control, const QString &text)
{
    const QFontMetrics metrics(control->font());
    if (const auto *option = qobject_cast<const GameCheckImage *>(control)) {
        const QRect room(Artwork::kCheckSize.width() + 4, 0,
                         option->width() - Artwork::kCheckSize.width() - 4, option->height());
        return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignLeft | Qt::AlignVCenter,
                                   metrics.size(0, text).boundedTo(room.size()), room);
    }
    // The glyphs themselves, not the line box: a neighbour's words may lie
    // in the leading above them.
    const auto *label = qobject_cast<const QLabel *>(control);
    const QRect room = label->contentsRect();
    const QRect line = QStyle::alignedRect(Qt::LeftToRight, label->alignment(),
                                           metrics.size(0, text).boundedTo(room.size()), room);
    const QRect glyphs =
        metrics.tightBoundingRect(text).translated(line.left(), line.top() + metrics.ascent());
    return glyphs.intersected(room);
}

// The palette role a control draws its text with.
QPalette::ColorRole inkRole(const QWidget *control)
{
    // The option pictures draw their words like a label does.
    return qobject_cast<const GameCheckImage *>(control) ? QPalette::WindowText
                                                         : control->foregroundRole();
}

QColor inkOf(const QWidget *control)
{
    return control->palette().color(QPalette::Active, inkRole(control));
}

// The lowest contrast between ink and any pixel that is really drawn behind
// the text (the control painted with invisible ink).
double worstContrast(QWidget *control, const QRect &area, const QColor &ink)
{
    const QPalette saved = control->palette();
    QPalette clear = saved;
    clear.setColor(inkRole(control), Qt::transparent);
    control->setPalette(clear);
    QWidget *window = control->window();
    const QRect inWindow(control->mapTo(window, area.topLeft()), area.size());
    const QImage behind = window->grab(inWindow).toImage();
    control->setPalette(saved);
    double worst = 21;
    const qreal ratio = behind.devicePixelRatio();
    for (int y = 0; y < behind.height(); ++y) {
        for (int x = 0; x < behind.width(); ++x)
            worst = std::min(worst, contrastRatio(behind.pixelColor(x, y), ink));
    }
    Q_UNUSED(ratio);
    return worst;
}

// Windows and the path of objectNames from the window down to a control.
QString pathOf(const QWidget *control)
{
    QStringList parts;
    for (const QWidget *w = control; w; w = w->isWindow() ? nullptr : w->parentWidget())
        parts.prepend(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                : w->objectName());
    return parts.join(QLatin1Char('/'));
}

// Every visible control with a text in the windows that `wanted` accepts;
// the same control twice (unnamed siblings) is told apart by its text.
QList<QWidget *> controls(bool (*wanted)(QWidget *))
{
    QList<QWidget *> found;
    for (QWidget *window : windows->all()) {
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (control->isVisibleTo(window) && !textOf(control).isEmpty() && wanted(control))
                found << control;
        }
    }
    return found;
}

// A label (or an option's words) drawn on a dark tile or a coloured panel,
// and not covered by anything in front of it.
bool onTileOrPanel(QWidget *control)
{
    if (!qobject_cast<QLabel *>(control) && !qobject_cast<GameCheckImage *>(control))
        return false;
    QWidget *window = control->window();
    const QPoint centre = control->mapTo(window, control->rect().center());
    if (window->childAt(centre) != control)
        return false;
    static const QStringList tiledWindows = {QStringLiteral("gamestart"), QStringLiteral("phrases"),
                                             QStringLiteral("spylist"),
                                             QStringLiteral("tallylist")};
    if (tiledWindows.contains(window->objectName()))
        return true;
    for (QWidget *w = control->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (w->objectName() == QLatin1String("gameboard") ||
            w->objectName() == QLatin1String("panel_side"))
            return true;
    }
    return false;
}

bool drawnText(QWidget *control)
{
    return qobject_cast<QLabel *>(control) || qobject_cast<QAbstractButton *>(control) ||
           qobject_cast<QGroupBox *>(control);
}

int findIndex(const QList<QWidget *> &list, const QString &path, const QString &text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (pathOf(list[i]) == path && textOf(list[i]) == text)
            return i;
    }
    return -1;
}

} // namespace

class TestWindowLook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void fixedTextsFit_data();
    void fixedTextsFit();
    void statusTextsFit_data();
    void statusTextsFit();
    void longNamesEndInEllipsis_data();
    void longNamesEndInEllipsis();
    void textsStandOut_data();
    void textsStandOut();
    void arrowsStandOut_data();
    void arrowsStandOut();
    void tallyOpensLikeTheOthers();
    void chatNeverCoversBoard_data();
    void chatNeverCoversBoard();
};

void TestWindowLook::initTestCase()
{
    windows = new Windows;
}

void TestWindowLook::cleanupTestCase()
{
    delete windows;
    windows = nullptr;
}

void TestWindowLook::fixedTextsFit_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    for (QWidget *control : controls(drawnText)) {
        if (!isFixedText(control))
            continue;
        const QString path = pathOf(control);
        QTest::addRow("%s \"%s\"", qPrintable(path), qPrintable(textOf(control)))
            << path << textOf(control);
    }
}

void TestWindowLook::fixedTextsFit()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    const QList<QWidget *> all = controls(drawnText);
    const int index = findIndex(all, path, text);
    QVERIFY(index >= 0);
    QWidget *control = all[index];
    const QFontMetrics metrics(control->font());
    const QSize needed = metrics.size(0, text);
    if (auto *label = qobject_cast<QLabel *>(control)) {
        const QRect room = label->contentsRect();
        QVERIFY2(needed.width() <= room.width(),
                 qPrintable(
                     QStringLiteral("needs %1 px, has %2").arg(needed.width()).arg(room.width())));
        QVERIFY2(metrics.height() <= room.height(),
                 qPrintable(QStringLiteral("needs %1 px high, has %2")
                                .arg(metrics.height())
                                .arg(room.height())));
        return;
    }
    // Buttons and boxes: the text with a few pixels on either side.
    if (auto *option = qobject_cast<GameCheckImage *>(control)) {
        QVERIFY(option->width() >= option->sizeHint().width());
        QVERIFY(option->height() >= metrics.height());
        return;
    }
    constexpr int kSides = 8;
    QVERIFY2(control->width() >= needed.width() + kSides && control->height() >= metrics.height(),
             qPrintable(QStringLiteral("%1x%2, needs %3x%4")
                            .arg(control->width())
                            .arg(control->height())
                            .arg(needed.width() + kSides)
                            .arg(metrics.height())));
}

void TestWindowLook::statusTextsFit_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text :
         {"Welcome to Lexiclash", "Your Turn.", "Please Wait..", "Please wait for next round..",
          "Posting Scores.. Please Wait.", "Game Over!", "Wilhelmina's turn."})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void TestWindowLook::statusTextsFit()
{
    QFETCH(QString, text);
    ElidingLabel *status = windows->chat.findChild<GameBoard *>()->label_status;
    const QString before = status->text();
    status->setText(text);
    const QFontMetrics metrics(status->font());
    QVERIFY2(metrics.horizontalAdvance(text) <= status->contentsRect().width(),
             qPrintable(QStringLiteral("needs %1 px, has %2")
                            .arg(metrics.horizontalAdvance(text))
                            .arg(status->contentsRect().width())));
    QCOMPARE(status->shownText(), text);
    status->setText(before);
}

void TestWindowLook::longNamesEndInEllipsis_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("tail");
    QTest::newRow("status line") << QStringLiteral("label_status") << QStringLiteral("'s turn.");
    QTest::newRow("score panel") << QStringLiteral("label_score10") << QString();
    QTest::newRow("seat row") << QStringLiteral("label_playername1") << QString();
}

void TestWindowLook::longNamesEndInEllipsis()
{
    QFETCH(QString, where);
    QFETCH(QString, tail);
    auto *label = windows->chat.findChild<ElidingLabel *>(where);
    QVERIFY(label);
    const QString name = QStringLiteral("Bartholomew Featherstonehaugh-Wolfeschlegel");
    const QString before = label->text();
    label->setText(name, tail);
    const QString shown = label->shownText();
    QCOMPARE(label->text(), name + tail);
    QVERIFY2(shown.endsWith(QStringLiteral("…") + tail), qPrintable(shown));
    QVERIFY(name.startsWith(shown.left(shown.size() - tail.size() - 1)));
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(shown) <= label->contentsRect().width());
    label->setText(before);
}

void TestWindowLook::textsStandOut_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    for (QWidget *control : controls(onTileOrPanel)) {
        const QString path = pathOf(control);
        QTest::addRow("%s \"%s\"", qPrintable(path), qPrintable(textOf(control)))
            << path << textOf(control);
    }
}

void TestWindowLook::textsStandOut()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    const QList<QWidget *> all = controls(onTileOrPanel);
    const int index = findIndex(all, path, text);
    QVERIFY(index >= 0);
    QWidget *control = all[index];
    const QColor ink = inkOf(control);
    QCOMPARE(ink.alpha(), 255);
    const double worst = worstContrast(control, textArea(control, text), ink);
    QVERIFY2(worst >= 4.5, qPrintable(QStringLiteral("%1 on what lies behind it: %2:1")
                                          .arg(ink.name())
                                          .arg(worst, 0, 'f', 2)));
}

void TestWindowLook::arrowsStandOut_data()
{
    QTest::addColumn<QString>("updown");
    QTest::addColumn<bool>("up");
    for (const char *updown : {"UpDown1", "UpDown2"}) {
        QTest::addRow("%s up", updown) << QString::fromLatin1(updown) << true;
        QTest::addRow("%s down", updown) << QString::fromLatin1(updown) << false;
    }
}

void TestWindowLook::arrowsStandOut()
{
    QFETCH(QString, updown);
    QFETCH(bool, up);
    auto *arrows = windows->gamestart.findChild<GameUpDown *>(updown);
    QVERIFY(arrows);
    const QList<QToolButton *> buttons = arrows->findChildren<QToolButton *>();
    QToolButton *button = nullptr;
    for (QToolButton *candidate : buttons) {
        if ((candidate->arrowType() == Qt::UpArrow) == up)
            button = candidate;
    }
    QVERIFY(button);
    // The arrow is the set of pixels that differ from the button's face;
    // its colour is the darkest (or lightest) of them, its background the face.
    const QImage drawn = button->grab().toImage();
    const QColor face = drawn.pixelColor(drawn.width() / 2, 1);
    QColor arrow = face;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor pixel = drawn.pixelColor(x, y);
            if (contrastRatio(pixel, face) > contrastRatio(arrow, face))
                arrow = pixel;
        }
    }
    const double ratio = contrastRatio(arrow, face);
    QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("arrow %1 on %2: %3:1")
                                          .arg(arrow.name(), face.name())
                                          .arg(ratio, 0, 'f', 2)));
    // And the style really drew it in the palette's colour, not by chance.
    const QColor ink = button->palette().color(QPalette::ButtonText);
    QVERIFY2(contrastRatio(arrow, ink) < contrastRatio(arrow, face),
             qPrintable(arrow.name() + QLatin1Char(' ') + ink.name()));
}

void TestWindowLook::tallyOpensLikeTheOthers()
{
    Tchat &chat = windows->chat;
    Ttallylist &tally = windows->tally;
    tally.hide();
    tally.move(0, 0);
    Tchat::Windows handed;
    handed.tally = &tally;
    chat.setWindows(handed);
    chat.move(120, 80);
    QApplication::processEvents();
    chat.ViewTally1Click();
    QVERIFY(tally.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(
        (tally.frameGeometry().center() - chat.frameGeometry().center()).manhattanLength() <= 2,
        20000);
    // The tiled background of the other windows, drawn behind its texts.
    QCOMPARE(tally.palette().brush(QPalette::Window).texture().toImage(),
             Artwork::backgroundTile().toImage());
    QVERIFY(tally.autoFillBackground());
}

void TestWindowLook::chatNeverCoversBoard_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("minimum") << 0;
    QTest::newRow("600") << 600;
    QTest::newRow("700") << 700;
    QTest::newRow("719") << 719;
    QTest::newRow("default") << 790;
}

void TestWindowLook::chatNeverCoversBoard()
{
    QFETCH(int, width);
    Tchat &chat = windows->chat;
    chat.resize(width, chat.state.defaultheight);
    QApplication::processEvents();
    QVERIFY(chat.width() >= chat.minimumWidth());
    QWidget *board = chat.findChild<QWidget *>(QStringLiteral("panel_board"));
    QVERIFY(board);
    const QRect boardArea(board->mapTo(&chat, QPoint()), board->size());
    const QRect chatArea(chat.chat->mapTo(&chat, QPoint()), chat.chat->size());
    QVERIFY2(!boardArea.intersects(chatArea),
             qPrintable(QStringLiteral("window %1 px wide").arg(chat.width())));
    QVERIFY(chatArea.right() < chat.width());
    // Every phrase button keeps room for its number.
    for (QPushButton *button : chat.chat->b_phrase)
        QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + 8,
                 qPrintable(QStringLiteral("window %1, button %2 \"%3\" %4 px")
                                .arg(chat.width())
                                .arg(button->objectName(), button->text())
                                .arg(button->width())));
    chat.resize(chat.state.defaultwidth, chat.state.defaultheight);
}

QTEST_MAIN(TestWindowLook)
#include "test_windowlook.moc"
