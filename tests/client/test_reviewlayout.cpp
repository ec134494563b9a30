// The review panel and the game summary at the screen sizes of small and
// large desktops (the offscreen screen is set by the test's configuration):
// they never lie over the chat, its entry, the board or the score panels,
// the main window stays on the screen, the download window does not hide them,
// and the chart of six players over twelve rounds and two tie-breaks with
// long names keeps its figures and captions apart.
#include "client/chatpane.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/gamesummarywindow.h"
#include "client/gameview.h"
#include "client/reviewwindows.h"
#include "client/roundchart.h"
#include "client/roundreviewwindow.h"
#include "dialogs/tdownload.h"
#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "windowsupport.h"

#include <QDockWidget>
#include <QLineEdit>
#include <QScreen>
#include <QTreeWidget>
#include <QtTest>

namespace {

QRect globalRect(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

} // namespace

class TestReviewLayout : public QObject {
    Q_OBJECT
private slots:
    void panelKeepsClearOfTheTable();

private:
    void verifyClear(Tchat &chat, const Tdownload &download, const QString &when);
};

void TestReviewLayout::verifyClear(Tchat &chat, const Tdownload &download, const QString &when)
{
    QDockWidget *dock = chat.reviews->dock;
    QVERIFY2(dock->isVisible(), qPrintable(when));
    const QRect panel = globalRect(dock);
    const QRect screen = chat.screen()->availableGeometry();
    QVERIFY2(screen.contains(chat.frameGeometry()), qPrintable(when));
    const QList<QWidget *> kept = {chat.chat, chat.chat->mychat, chat.panel_board,
                                   chat.gameview->board()->panel_scores};
    for (QWidget *widget : kept)
        QVERIFY2(!panel.intersects(globalRect(widget)),
                 qPrintable(when + ": " + widget->objectName()));
    // The panel gets a useful width, and the chat keeps its own.
    QVERIFY2(dock->width() >= 240, qPrintable(when + QString::number(dock->width())));
    QVERIFY2(chat.chat->width() >= chat.chat->minimumSizeHint().width(), qPrintable(when));
    QVERIFY2(!download.isVisible() || !download.frameGeometry().intersects(panel),
             qPrintable(when));
}

void TestReviewLayout::panelKeepsClearOfTheTable()
{
    const QSize size = QGuiApplication::primaryScreen()->size();
    qInfo("screen %dx%d", size.width(), size.height());
    Tchat chat;
    chat.move(3, 3);
    showAsHost(chat, 1);
    // The download window a solo game shows, always on top, centred on the screen.
    Tdownload download;
    download.show();
    const TDictn dictionary;
    seatSixLongNames(chat);
    receive(chat, Msg::startgame("Alexandrina Montgomeryss", 12, 60, 8));

    const QList<QByteArray> letters = {"S",  "CA", "BR", "ST", "PL", "CON",
                                       "TR", "M",  "RE", "DE", "P",  "GR"};
    std::array<Msg::SeatScore, 6> scores{};
    for (int r = 0; r < letters.size(); ++r) {
        playRound(chat, r + 1, roundOfSix(dictionary, letters[r], r % 3 == 0 ? 0 : 5, 3), scores);
        if (r == 0)
            verifyClear(chat, download, QStringLiteral("review of round 1"));
    }
    // Two tie-breaks: the last rounds leave the leaders level.
    for (int t = 0; t < 2; ++t)
        playRound(chat, 13 + t, roundOfSix(dictionary, t == 0 ? "B" : "H", 4, 1), scores);
    verifyClear(chat, download, QStringLiteral("review of a tie-break"));
    receive(chat, Msg::winner(2));

    GameSummaryWindow *summary = chat.reviews->summary;
    QVERIFY(summary->isVisible());
    verifyClear(chat, download, QStringLiteral("summary"));
    QCOMPARE(summary->tree_players->topLevelItemCount(), 6);
    RoundChart *chart = summary->chart;
    QVERIFY(chart->isVisible());
    QVERIFY(!chart->figuresCollide());
    chart->setView(RoundChart::View::RunningTotals);
    QVERIFY(!chart->figuresCollide());

    // The summary's round reviews open in the same place.
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Left);
    QTest::keyClick(chart, Qt::Key_Return);
    QCOMPARE(chat.reviews->review->label_title->text(),
             QStringLiteral("Tie-break round (round 14)"));
    verifyClear(chat, download, QStringLiteral("review from the summary"));
}

QTEST_MAIN(TestReviewLayout)
#include "test_reviewlayout.moc"
