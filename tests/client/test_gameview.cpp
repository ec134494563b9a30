#include "client/chatmenus.h"
#include "client/clientstate.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/gameview.h"
#include "client/seatrows.h"
#include "client/soundplayer.h"
#include "common/errors.h"
#include "intentrecorder.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "net/servermessage.h"
#include "tallywindow/ttallylist.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/tag.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <QVBoxLayout>

#include <memory>

namespace {

QByteArray roundEnd(std::array<int, 6> totals)
{
    std::array<Msg::SeatScore, 6> scores{};
    for (int i = 0; i < 6; ++i)
        scores[i] = {i + 1, totals[i], totals[i] / 5, 1, totals[i] / 5};
    return Msg::endround(scores);
}

QByteArray roundStart(int round, int seconds, int seat, int length = 0,
                      const QByteArray &prefix = "BA", const QByteArray &starter = "BATTLE")
{
    return Msg::startround({round, seconds, length, prefix, seat, starter});
}

// The main window's parts that the game view works with, built as the main
// window builds them, around a real game view that follows a real model.
struct Board {
    QWidget window;
    QMenuBar *bar = nullptr;
    ClientState state;
    GameModel model;
    ChatMenus *menus = nullptr;
    SeatRows *rows = nullptr;
    QWidget *area = nullptr;
    QPushButton *start = nullptr;
    std::unique_ptr<GameView> view;
    std::unique_ptr<Ttallylist> tally;
    IntentRecorder intents;
    QList<QByteArray> &sent = intents.sent;
    QStringList lines;
    QStringList sounds;

    // Logged in on `myseat` unless `loggedIn` is false.
    explicit Board(int myseat = 1, bool loggedIn = true)
    {
        state.hosting = myseat == 1;
        auto *column = new QVBoxLayout(&window);
        bar = new QMenuBar(&window);
        column->setMenuBar(bar);
        menus = new ChatMenus(bar);
        rows = new SeatRows(state, model, &window);
        area = new QWidget(&window);
        start = new QPushButton(QStringLiteral("START GAME"), area);
        start->setObjectName(QStringLiteral("button_start"));
        column->addWidget(rows);
        column->addWidget(area);
        GameView::Hooks hooks;
        intents.seat = myseat;
        hooks.intents = &intents;
        hooks.info = [this](const QString &line) { lines << line; };
        view = std::make_unique<GameView>(state, model, *menus, area, start, std::move(hooks));
        view->sounds()->setSink([this](const QString &name) { sounds << name; });
        window.show();
        if (loggedIn)
            feed(Msg::sendlogininfo(myseat));
    }

    GameBoard *b() const { return view->board(); }
    // A message from the server, as the dispatcher hands it to the model.
    void feed(const QByteArray &message) { model.apply(decodeServerMessage(message.chopped(1))); }
    void name(int seat, const QString &text) { feed(Msg::newplayerinfo(seat, text.toUtf8())); }
    void withTally()
    {
        tally = std::make_unique<Ttallylist>();
        view->setTally(tally.get());
    }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            model.turntimeTimer();
    }
};

} // namespace

class TestGameView : public QObject {
    Q_OBJECT
private slots:
    void initialBoard();
    void sixtySecondRound();
    void longRoundKeepsBar_data();
    void longRoundKeepsBar();
    void enterSendsOnlyDuringOwnTurn();
    void wordIsTrimmedBeforeSending_data();
    void wordIsTrimmedBeforeSending();
    void refusalBannerUntilNextKey_data();
    void refusalBannerUntilNextKey();
    void leader_data();
    void leader();
    void roundEndedEarlyStopsClock();
    void roundStartShowsItsTime_data();
    void roundStartShowsItsTime();
    void spyWatchesSeatOne();
    void loadstats_data();
    void loadstats();
    void winnerShowsPictureAndStart();
    void gameOverStopsClock();
    void winnerRecordsTally();
    void gotwordListsInSeatColour();
    void soundOptions();
    void giveUp();
    void startGameResets();
    void loadchecklistNamesOtherPlayers();
    void keyboardAndScreenReader();
};

void TestGameView::initialBoard()
{
    Board board;
    GameBoard *b = board.b();
    QCOMPARE(b->label_status->text(), QStringLiteral("Welcome to Lexiclash"));
    QVERIFY(!board.model.turnActive());
    QCOMPARE(b->label_round->text(), QStringLiteral("0 of 5"));
    QCOMPARE(b->label_timeperturn->text(), QStringLiteral("60 secs"));
    QCOMPARE(b->label_numletters->text(), QStringLiteral("3 Letters"));
    QCOMPARE(b->label_timer->text(), QStringLiteral("Time: 0:00"));
    for (const char *name :
         {"label_status",  "label_round",   "label_timeperturn", "label_numletters",
          "label_word1",   "label_word2",   "label_timer",       "image_timer",
          "image_word",    "edit_word",     "button_igiveup",    "image_error",
          "image_full",    "memo_wordlist", "button_start",      "panel_scores",
          "label_starter", "panel_6",       "label_score64",     "image_winner6"})
        QVERIFY2(board.window.findChild<QWidget *>(QLatin1String(name)), name);
    QVERIFY(!b->image_word->isVisible());
    QVERIFY(!b->panel_scores->isVisible());
    QVERIFY(b->button_start->isVisible());
}

void TestGameView::sixtySecondRound()
{
    Board board;
    board.name(1, "Ann");
    GameView &view = *board.view;
    board.feed(Msg::startgame("Ann", 5, 60, 0));
    QCOMPARE(view.pixelsPerSecond(), 5);
    board.feed(roundStart(1, 60, 1));
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Your Turn."));
    QVERIFY(board.b()->edit_word->isVisible());
    QVERIFY(board.b()->button_igiveup->isVisible());
    QCOMPARE(board.window.focusWidget(), board.b()->edit_word);
    QVERIFY(board.model.turnActive());
    QVERIFY(board.model.turntime->isActive());
    QCOMPARE(board.model.turntime->interval(), 1000);
    QCOMPARE(board.sounds, QStringList{QStringLiteral("turn")});
    board.sounds.clear();

    QList<int> timeAt;
    for (int left = 59; left >= 1; --left) {
        board.tick();
        QCOMPARE(board.model.timeleft(), left);
        QCOMPARE(board.b()->image_timer->width(), 5 * left);
        const QColor colour = board.b()->label_timer->palette().color(QPalette::WindowText);
        QCOMPARE(colour, left < 20 ? QColor(255, 0, 0) : QColor(224, 227, 157));
        if (board.sounds.contains(QStringLiteral("time")))
            timeAt << left;
        QVERIFY(!board.sounds.contains(QStringLiteral("timeup")));
        board.sounds.clear();
    }
    QCOMPARE(timeAt, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:01"));

    board.tick();
    QCOMPARE(board.sounds, QStringList{QStringLiteral("timeup")});
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Please Wait.."));
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:00"));
    QCOMPARE(board.b()->image_timer->width(), 0);
    QVERIFY(!board.model.turnActive());
    QCOMPARE(board.model.turnseat(), 0);
    QVERIFY(!board.b()->edit_word->isVisible());
    QVERIFY(!board.b()->image_word->isVisible());
    // The keyboard rests on the board, not in the next control of the Tab chain.
    QCOMPARE(board.window.focusWidget(), board.area);

    board.sounds.clear();
    board.tick(3);
    QVERIFY(board.sounds.isEmpty());
    QCOMPARE(board.model.timeleft(), 0);
}

void TestGameView::longRoundKeepsBar_data()
{
    QTest::addColumn<QList<int>>("seconds");
    QTest::addColumn<int>("pixels");
    QTest::newRow("300 first: no bar") << QList<int>{300} << 0;
    QTest::newRow("60 then 300") << QList<int>{60, 300} << 5;
    QTest::newRow("45 then 600") << QList<int>{45, 600} << 6;
    QTest::newRow("120") << QList<int>{120} << 2;
    QTest::newRow("0 seconds: no division") << QList<int>{60, 0} << 5;
}

void TestGameView::longRoundKeepsBar()
{
    QFETCH(QList<int>, seconds);
    QFETCH(int, pixels);
    Board board;
    for (int s : seconds)
        board.feed(Msg::startgame("Ann", 5, s, 0));
    QCOMPARE(board.view->pixelsPerSecond(), pixels);
    board.feed(roundStart(1, seconds.last(), 1));
    board.tick();
    QVERIFY(board.b()->image_timer->width() <= GameBoard::kBarWidth);
}

void TestGameView::enterSendsOnlyDuringOwnTurn()
{
    Board board;
    board.feed(Msg::startgame("Ann", 5, 30, 0));
    board.feed(roundStart(1, 30, 1));
    QLineEdit *edit = board.b()->edit_word;
    QTest::keyClicks(edit, "ba+t");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(board.sent, QList<QByteArray>{Msg::sendword(1, "ba+t")});
    QVERIFY(edit->text().isEmpty());

    board.tick(30);
    board.sent.clear();
    edit->show();
    edit->setText(QStringLiteral("bat"));
    QTest::keyClick(edit, Qt::Key_Enter);
    QVERIFY(board.sent.isEmpty());
    QVERIFY(edit->text().isEmpty());
}

void TestGameView::wordIsTrimmedBeforeSending_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("trailing blank") << "spa " << QByteArray("spa");
    QTest::newRow("blanks both ends") << "  spa  " << QByteArray("spa");
    QTest::newRow("blank inside kept") << " sp a " << QByteArray("sp a");
    QTest::newRow("nothing to trim") << "spa" << QByteArray("spa");
}

void TestGameView::wordIsTrimmedBeforeSending()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    Board board;
    board.feed(Msg::startgame("Ann", 5, 30, 0));
    board.feed(roundStart(1, 30, 1));
    QLineEdit *edit = board.b()->edit_word;
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(board.sent, QList<QByteArray>{Msg::sendword(1, sent)});
}

void TestGameView::refusalBannerUntilNextKey_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("banner");
    QTest::newRow("0") << 0 << QStringLiteral("Incorrect Word Length");
    QTest::newRow("1") << 1 << QStringLiteral("Invalid Word");
    QTest::newRow("2") << 2 << QStringLiteral("Already Guessed");
    QTest::newRow("3") << 3 << QStringLiteral("Incorrect Primer");
}

void TestGameView::refusalBannerUntilNextKey()
{
    QFETCH(int, reason);
    QFETCH(QString, banner);
    Board board(3);
    board.feed(roundStart(1, 60, 3));
    board.sounds.clear();

    board.feed(Msg::notvalid(4, reason));
    QVERIFY(!board.b()->image_error->isVisible());
    QVERIFY(board.sounds.isEmpty());

    board.feed(Msg::notvalid(3, reason));
    QVERIFY(board.b()->image_error->isVisible());
    QCOMPARE(board.b()->image_error->accessibleName(), banner);
    QCOMPARE(board.b()->image_error->pixmap().toImage(),
             board.b()->imagelist_error[reason].toImage());
    QCOMPARE(board.sounds, QStringList{QStringLiteral("error1")});
    board.tick(5);
    QVERIFY(board.b()->image_error->isVisible());

    QTest::keyClick(board.b()->edit_word, Qt::Key_A);
    QVERIFY(!board.b()->image_error->isVisible());
    QCOMPARE(board.b()->edit_word->text(), QStringLiteral("a"));
}

void TestGameView::leader_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<int>("leader");
    const QStringList three{"Ann", "Bob", "Cy", "<Waiting>", "<Waiting>", "<Waiting>"};
    QTest::newRow("tie keeps seat 2") << three << QList<int>{30, 45, 45, 0, 0, 0} << 2;
    QTest::newRow("all zero: seat 1") << three << QList<int>{0, 0, 0, 0, 0, 0} << 1;
    QTest::newRow("seat 3 ahead") << three << QList<int>{10, 20, 21, 0, 0, 0} << 3;
    QTest::newRow("departed seat ignored") << three << QList<int>{10, 20, 5, 99, 0, 0} << 2;
    QTest::newRow("seat 1 ahead") << three << QList<int>{50, 20, 5, 0, 0, 0} << 1;
}

void TestGameView::leader()
{
    QFETCH(QStringList, names);
    QFETCH(QList<int>, totals);
    QFETCH(int, leader);
    Board board;
    for (int seat = 1; seat <= 6; ++seat)
        board.name(seat, names[seat - 1]);
    board.feed(roundStart(1, 60, 1));
    board.feed(roundEnd({totals[0], totals[1], totals[2], totals[3], totals[4], totals[5]}));

    for (int seat = 1; seat <= 6; ++seat) {
        QCOMPARE(board.rows->score(seat)->text(), QString::number(totals[seat - 1]));
        QCOMPARE(board.model.rankedTotal(seat), totals[seat - 1]);
        QCOMPARE(board.rows->last(seat)->text() == QStringLiteral("LEADER!"), seat == leader);
        GameScorePanels *panels = board.b()->panel_scores;
        QCOMPARE(panels->scoreLabel(seat, 0)->text(), names[seat - 1]);
        QCOMPARE(panels->scoreLabel(seat, 4)->text(), QString::number(totals[seat - 1]));
        QCOMPARE(panels->scoreLabel(seat, 3)->text(), QString::number(totals[seat - 1] / 5));
        QCOMPARE(panels->scoreLabel(seat, 1)->text(), QStringLiteral("1"));
    }
    QVERIFY(board.b()->panel_scores->isVisible());
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Posting Scores.. Please Wait."));
    QVERIFY(!board.model.turnActive());
    QVERIFY(!board.b()->edit_word->isVisible());
}

void TestGameView::roundEndedEarlyStopsClock()
{
    Board board;
    board.feed(Msg::startgame("Ann", 5, 60, 0));
    board.feed(roundStart(1, 60, 1));
    board.tick(35);
    QCOMPARE(board.model.timeleft(), 25);
    board.feed(roundEnd({3, 0, 0, 0, 0, 0}));
    board.sounds.clear();

    // Everybody gave up with 25 seconds left: the clock stops at once and
    // stays silent through the pause.
    QVERIFY(!board.model.turntime->isActive());
    QCOMPARE(board.model.timeleft(), 0);
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:00"));
    QCOMPARE(board.b()->image_timer->width(), 0);
    board.tick(12);
    QVERIFY(board.sounds.isEmpty());
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:00"));
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Posting Scores.. Please Wait."));

    board.feed(roundStart(2, 60, 1));
    QCOMPARE(board.model.timeleft(), 60);
    QVERIFY(board.model.turntime->isActive());
    QVERIFY(!board.b()->panel_scores->isVisible());
    QCOMPARE(board.b()->label_round->text(), QStringLiteral("2 of 5"));
}

void TestGameView::roundStartShowsItsTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("30 s") << 30 << QStringLiteral("Time: 0:30") << 300 << QColor(224, 227, 157);
    QTest::newRow("65 s") << 65 << QStringLiteral("Time: 1:05") << 260 << QColor(224, 227, 157);
    QTest::newRow("15 s") << 15 << QStringLiteral("Time: 0:15") << 300 << QColor(255, 0, 0);
}

void TestGameView::roundStartShowsItsTime()
{
    QFETCH(int, seconds);
    QFETCH(QString, shown);
    QFETCH(int, bar);
    QFETCH(QColor, colour);
    Board board;
    board.feed(Msg::startgame("Ann", 5, 60, 0));
    board.feed(roundStart(1, 60, 1));
    // The first round runs down to its last seconds, in red.
    board.tick(56);
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:04"));
    board.tick(10);

    board.feed(Msg::startgame("Ann", 5, seconds, 0));
    board.feed(roundStart(1, seconds, 1));
    QCOMPARE(board.b()->label_timer->text(), shown);
    QCOMPARE(board.b()->image_timer->width(), std::min(bar, GameBoard::kBarWidth));
    QCOMPARE(board.b()->label_timer->palette().color(QPalette::WindowText), colour);
    // The first second after the start counts down from the new time.
    board.tick();
    QCOMPARE(board.model.timeleft(), seconds - 1);
}

void TestGameView::spyWatchesSeatOne()
{
    Board board(8);
    board.name(1, "Ann");
    board.feed(Msg::startgame("Ann", 3, 60, 8));
    QCOMPARE(board.b()->label_numletters->text(), QStringLiteral("Random"));
    board.feed(roundStart(1, 60, 1, 5, "TR", "trains"));
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Ann's turn."));
    QVERIFY(board.b()->image_full->isVisible());
    QVERIFY(!board.b()->image_word->isVisible());
    QVERIFY(!board.b()->edit_word->isVisible());
    QVERIFY(!board.sounds.contains(QStringLiteral("turn")));
    QCOMPARE(board.b()->label_word1->text(), QStringLiteral("5 Letters"));
    QCOMPARE(board.b()->label_word2->text(), QStringLiteral("TR"));
    QCOMPARE(board.b()->panel_scores->label_starter->text(),
             QStringLiteral("Starter Word: TRAINS"));

    // A spy's Enter sends nothing.
    board.view->edit_wordKeyPress();
    QVERIFY(board.sent.isEmpty());
}

void TestGameView::loadstats_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("remaining");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("counting");
    QTest::newRow("player, 9 left")
        << 3 << 9 << QStringLiteral("Please wait for next round..") << false;
    QTest::newRow("player, -4 left")
        << 3 << -4 << QStringLiteral("Please wait for next round..") << false;
    QTest::newRow("player, 30 left") << 3 << 30 << QStringLiteral("Your Turn.") << true;
    QTest::newRow("spy, 30 left") << 7 << 30 << QStringLiteral("Ann's turn.") << true;
}

void TestGameView::loadstats()
{
    QFETCH(int, myseat);
    QFETCH(int, remaining);
    QFETCH(QString, status);
    QFETCH(bool, counting);
    Board board(myseat);
    board.name(1, "Ann");
    Msg::LoadStats stats;
    stats.seat = myseat;
    stats.rounds = 7;
    stats.seconds = 90;
    stats.lengthCode = 4;
    stats.round = 2;
    stats.length = 4;
    stats.prefix = "CA";
    stats.remaining = remaining;
    stats.totals = {{1, 12}, {2, 30}, {3, 0}, {4, 0}, {5, 0}, {6, 0}};

    // Meant for another seat: ignored.
    Msg::LoadStats other = stats;
    other.seat = myseat + 1;
    board.feed(Msg::loadstats(other));
    QCOMPARE(board.b()->label_round->text(), QStringLiteral("0 of 5"));

    board.feed(Msg::loadstats(stats));
    QCOMPARE(board.rows->score(2)->text(), QStringLiteral("30"));
    QCOMPARE(board.model.rankedTotal(2), 0);
    QCOMPARE(board.b()->label_round->text(), QStringLiteral("2 of 7"));
    QCOMPARE(board.b()->label_timeperturn->text(), QStringLiteral("90 secs"));
    QCOMPARE(board.view->pixelsPerSecond(), 3);
    QCOMPARE(board.b()->label_numletters->text(), QStringLiteral("4 Letters"));
    QCOMPARE(board.b()->label_word1->text(), QStringLiteral("4 Letters"));
    QCOMPARE(board.b()->label_word2->text(), QStringLiteral("CA"));
    QCOMPARE(board.b()->label_status->text(), status);
    QCOMPARE(board.model.turntime->isActive(), counting);
    QCOMPARE(board.model.turnActive(), counting);
    if (!counting)
        return;
    QCOMPARE(board.model.timeleft(), remaining);
    const bool player = myseat <= 6;
    QCOMPARE(board.b()->edit_word->isVisible(), player);
    QCOMPARE(board.b()->image_full->isVisible(), !player);
    if (player) {
        QCOMPARE(board.model.turnseat(), myseat);
        QCOMPARE(board.sounds, QStringList{QStringLiteral("turn")});
    }
}

void TestGameView::winnerShowsPictureAndStart()
{
    Board board;
    board.name(1, "Ann");
    board.name(2, "Klot");
    board.feed(Msg::startgame("Ann", 1, 60, 0));
    QVERIFY(!board.b()->button_start->isVisible());
    board.feed(roundStart(1, 60, 1));
    board.feed(roundEnd({10, 25, 0, 0, 0, 0}));
    board.sounds.clear();
    board.feed(Msg::winner(2));
    QCOMPARE(board.sounds, QStringList{QStringLiteral("gameover")});
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Game Over!"));
    QCOMPARE(board.lines.last(), QStringLiteral("Klot has Won the Game!"));
    for (int seat = 1; seat <= 6; ++seat)
        QCOMPARE(board.b()->panel_scores->winnerImage(seat)->isVisible(), seat == 2);
    QVERIFY(board.b()->button_start->isVisible());
    QVERIFY(board.b()->panel_scores->isVisible());

    // A joining copy does not get the start button back.
    Board joined(3);
    joined.start->hide();
    joined.feed(Msg::winner(1));
    QVERIFY(!joined.b()->button_start->isVisible());
}

void TestGameView::gameOverStopsClock()
{
    Board board;
    board.name(1, "Ann");
    board.feed(Msg::startgame("Ann", 1, 60, 0));
    board.feed(roundStart(1, 60, 1));
    // The last round ends early with 50 seconds left; the pause runs; the winner comes.
    board.tick(10);
    board.feed(roundEnd({10, 0, 0, 0, 0, 0}));
    board.tick(12);
    board.sounds.clear();
    board.feed(Msg::winner(1));
    QVERIFY(!board.model.turntime->isActive());
    QCOMPARE(board.b()->label_timer->text(), QStringLiteral("Time: 0:00"));
    QCOMPARE(board.b()->label_timer->palette().color(QPalette::WindowText), QColor(224, 227, 157));
    board.tick(20);
    QCOMPARE(board.sounds, QStringList{QStringLiteral("gameover")});
    QCOMPARE(board.b()->label_status->text(), QStringLiteral("Game Over!"));
}

void TestGameView::winnerRecordsTally()
{
    Board board;
    board.withTally();
    board.name(1, "Ann");
    board.name(2, "Bob");
    // Ann keeps a tally against Bob.
    board.view->loadchecklist();
    QCOMPARE(board.tally->checklist()->item(0)->text(), QStringLiteral("Bob"));
    board.tally->checklistClickCheck(0);
    const TallyTable &table = board.tally->stringgrid_scores();
    const int bob = table.findOpponent(QStringLiteral("Bob"));
    QVERIFY(bob >= 1);
    // Own row: games, wins, best score, words. Opponent row: games together,
    // his wins, my wins, neither's wins.
    const auto row = [&](int r) {
        QStringList cells;
        for (int column = 1; column <= 4; ++column)
            cells << table.cell(column, r);
        return cells;
    };
    const QStringList ownBefore = row(0);

    board.feed(roundEnd({40, 25, 0, 0, 0, 0}));
    board.feed(Msg::winner(1));
    QCOMPARE(board.tally->mylabel_3Text(), QStringLiteral("40"));
    // A won game: one more game and one more win for Ann, a win of Ann's against Bob.
    QCOMPARE(row(0).at(0).toInt(), ownBefore.at(0).toInt() + 1);
    QCOMPARE(row(0).at(1).toInt(), ownBefore.at(1).toInt() + 1);
    QCOMPARE(row(bob), QStringList({"1", "0", "1", "0"}));

    // A lost game: one more game and no win for Ann, a win for Bob against her.
    // A lower total leaves the best score alone.
    board.feed(roundEnd({12, 25, 0, 0, 0, 0}));
    board.feed(Msg::winner(2));
    QCOMPARE(board.tally->mylabel_3Text(), QStringLiteral("40"));
    QCOMPARE(row(0).at(0).toInt(), ownBefore.at(0).toInt() + 2);
    QCOMPARE(row(0).at(1).toInt(), ownBefore.at(1).toInt() + 1);
    QCOMPARE(row(bob), QStringList({"2", "1", "1", "0"}));

    // A spy records nothing.
    Board spy(8);
    spy.withTally();
    const QString before = spy.tally->mylabel_3Text();
    spy.feed(roundEnd({99, 0, 0, 0, 0, 0}));
    spy.feed(Msg::winner(1));
    QCOMPARE(spy.tally->mylabel_3Text(), before);
}

void TestGameView::gotwordListsInSeatColour()
{
    Board board(2);
    board.name(1, "Ann");
    board.name(2, "<b>Bo</b>");
    board.feed(roundStart(1, 60, 2));
    board.sounds.clear();
    board.feed(Msg::gotword(1, "HELLO", 5));
    board.feed(Msg::gotword(2, "HELP", 4));
    board.feed(Msg::gotword(9, "NOPE", 4));
    QCOMPARE(board.b()->memo_wordlist->toPlainText(),
             QStringLiteral("5 : HELLO : Ann\n4 : HELP : <b>Bo</b>"));
    QCOMPARE(board.rows->last(1)->text(), QStringLiteral("HELLO"));
    QCOMPARE(board.rows->last(2)->text(), QStringLiteral("HELP"));
    QCOMPARE(board.sounds, (QStringList{"goodwordthem", "goodwordme"}));

    QTextCursor cursor(board.b()->memo_wordlist->document()->findBlockByNumber(0));
    cursor.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(0, 0, 221));
    QTextCursor second(board.b()->memo_wordlist->document()->findBlockByNumber(1));
    second.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(second.charFormat().foreground().color(), QColor(255, 128, 0));

    board.view->addtowordlist(QStringLiteral("other"), 0);
    QTextCursor third(board.b()->memo_wordlist->document()->findBlockByNumber(2));
    third.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(third.charFormat().foreground().color(), QColor(Qt::black));

    // A new round empties the list.
    board.feed(roundStart(2, 60, 2));
    QVERIFY(board.b()->memo_wordlist->toPlainText().isEmpty());
}

void TestGameView::soundOptions()
{
    Board board;
    board.menus->New1->trigger();
    board.feed(roundStart(1, 60, 1));
    QCOMPARE(board.sounds, QStringList{QStringLiteral("turnnew")});
    board.sounds.clear();
    board.menus->PlaySounds1->trigger();
    QVERIFY(!board.menus->PlaySounds1->isChecked());
    board.feed(roundStart(2, 60, 1));
    board.tick(45);
    QVERIFY(board.sounds.isEmpty());
    board.menus->PlaySounds1->trigger();
    board.menus->Classic1->trigger();
    board.feed(roundStart(3, 60, 1));
    QCOMPARE(board.sounds, QStringList{QStringLiteral("turn")});
}

void TestGameView::giveUp()
{
    Board board(4);
    board.feed(roundStart(1, 60, 4));
    QTest::mouseClick(board.b()->button_igiveup, Qt::LeftButton);
    QCOMPARE(board.sent, QList<QByteArray>{Msg::giveup(4)});
    // The box stays until the round ends.
    QVERIFY(board.b()->image_word->isVisible());

    Board unconnected(4, false);
    unconnected.view->button_igiveupClick();
    QVERIFY(unconnected.sent.isEmpty());
}

void TestGameView::startGameResets()
{
    Board board;
    board.name(1, "Ann");
    board.feed(roundStart(1, 60, 1));
    board.feed(Msg::gotword(1, "BAT", 3));
    board.feed(roundEnd({3, 0, 0, 0, 0, 0}));
    board.feed(Msg::winner(1));

    board.feed(Msg::startgame("Ann", 4, 45, 3));
    QCOMPARE(board.lines.last(), QStringLiteral("Ann has started a game."));
    QCOMPARE(board.b()->label_round->text(), QStringLiteral("0 of 4"));
    QCOMPARE(board.model.rounds(), 4);
    QCOMPARE(board.b()->label_timeperturn->text(), QStringLiteral("45 secs"));
    QCOMPARE(board.b()->label_numletters->text(), QStringLiteral("3 Letters"));
    QCOMPARE(board.rows->score(1)->text(), QStringLiteral("0"));
    QCOMPARE(board.model.rankedTotal(1), 3);
    QVERIFY(board.rows->last(1)->text().isEmpty());
    QVERIFY(board.b()->memo_wordlist->toPlainText().isEmpty());
    QVERIFY(!board.b()->panel_scores->isVisible());
    QVERIFY(!board.b()->panel_scores->winnerImage(1)->isVisible());
    QCOMPARE(board.b()->panel_scores->scoreLabel(1, 4)->text(), QStringLiteral("0"));
    QCOMPARE(board.b()->panel_scores->scoreLabel(1, 0)->text(), QStringLiteral("Ann"));
    QVERIFY(!board.b()->button_start->isVisible());
    QCOMPARE(board.rows->playername(2)->text(), QStringLiteral("Klot"));

    board.feed(Msg::startgame("Ann", 4, 45, 0));
    QCOMPARE(board.b()->label_numletters->text(), QStringLiteral("No Limit"));

    // A round number that does not convert drops the whole message.
    board.feed("CMD_startround+x+60+0+B+1+BAT+\xFF");
    QCOMPARE(board.b()->label_round->text(), QStringLiteral("0 of 4"));
    QVERIFY(!board.model.turntime->isActive());
}

void TestGameView::loadchecklistNamesOtherPlayers()
{
    Board board(2);
    board.withTally();
    board.name(1, "Ann");
    board.name(2, "Me");
    board.name(3, "Cy");
    board.view->loadchecklist();
    QListWidget *list = board.tally->checklist();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Ann"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("Cy"));
    QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
}

void TestGameView::keyboardAndScreenReader()
{
    Board board;
    GameBoard *b = board.b();
    QCOMPARE(b->button_start->accessibleName(), QStringLiteral("START GAME"));
    QCOMPARE(b->button_igiveup->accessibleName(), QStringLiteral("I GIVE UP"));
    QCOMPARE(b->image_word->accessibleName(), QStringLiteral("ENTER YOUR WORDS"));
    QCOMPARE(b->panel_scores->winnerImage(3)->accessibleName(), QStringLiteral("WINNER"));
    QVERIFY(b->image_full->accessibleName().contains(QStringLiteral("GAME IS FULL")));

    int starts = 0;
    QObject::connect(b->button_start, &QPushButton::clicked, [&starts] { ++starts; });
    QCOMPARE(b->button_start->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(b->button_start, Qt::Key_Return);
    QTest::keyClick(b->button_start, Qt::Key_Space);
    QCOMPARE(starts, 2);

    board.feed(roundStart(1, 60, 1));
    QCOMPARE(b->button_igiveup->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(b->button_igiveup, Qt::Key_Space);
    QTest::keyClick(b->button_igiveup, Qt::Key_Enter);
    QCOMPARE(board.sent, (QList<QByteArray>{Msg::giveup(1), Msg::giveup(1)}));
}

QTEST_MAIN(TestGameView)
#include "test_gameview.moc"
