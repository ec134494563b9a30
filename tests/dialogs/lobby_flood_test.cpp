#include "discovery/discoverybrowser.h"
#include "hostedgame.h"
#include "lobby/gamelistmodel.h"
#include "lobby/lobbywindow.h"
#include "loopbackport.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace {
// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

// The lobby window on the offscreen platform while other addresses flood the
// machine: a thousand queries a second at a real host, and two hundred
// forged games a second at the window, both for 20 s. The window keeps
// showing typed keys within a second and keeps the real game listed.
class LobbyFloodTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void floodsLeaveTheWindowResponsiveAndTheGameListed();

private:
    bool annListed() const;
    qint64 keyLatencyMs(QLineEdit *field, PaintCounter &counter, QChar key);

    quint16 discoveryPort_ = 0;
    std::unique_ptr<HostedGame> host_;
    std::unique_ptr<LobbyWindow> window_;
};

void LobbyFloodTest::initTestCase()
{
    qputenv("LEXICLASH_LOBBY_PORT", "0");
    qputenv("LEXICLASH_INSTANCE", "lobbyflood");
    discoveryPort_ = unusedLoopbackUdpPort();
    qputenv("LEXICLASH_DISCOVERY_PORT", QByteArray::number(discoveryPort_));
}

void LobbyFloodTest::cleanup()
{
    window_.reset();
    host_.reset();
}

bool LobbyFloodTest::annListed() const
{
    const GameListModel &games = window_->games();
    for (int row = 0; row < games.rowCount(); ++row) {
        if (games.game(row)->info.hostName == QLatin1String("Ann") &&
            games.game(row)->address == QHostAddress(QHostAddress::LocalHost))
            return true;
    }
    return false;
}

// The time from a key arriving in the event queue, as the window system
// delivers it, until the field holds it and has painted it.
qint64 LobbyFloodTest::keyLatencyMs(QLineEdit *field, PaintCounter &counter, QChar key)
{
    const QString before = field->text();
    const int paintsBefore = counter.paints;
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::postEvent(field, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, key));
    QCoreApplication::postEvent(field, new QKeyEvent(QEvent::KeyRelease, 0, Qt::NoModifier, key));
    while ((field->text() == before || counter.paints == paintsBefore) && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return clock.elapsed();
}

void LobbyFloodTest::floodsLeaveTheWindowResponsiveAndTheGameListed()
{
    host_ = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    QVERIFY(host_->start({"host", "Ann"}, unusedLoopbackPort(), discoveryPort_, "floodhost"));
    QTRY_VERIFY_WITH_TIMEOUT(host_->gameConnected(), 60000);

    window_ = std::make_unique<LobbyWindow>();
    window_->browser().setTargets({{discovery::kLoopbackBroadcast, discoveryPort_}});
    auto *name = window_->findChild<QLineEdit *>(QStringLiteral("edit_name"));
    name->setText(QStringLiteral("Bob"));
    PaintCounter counter;
    name->installEventFilter(&counter);
    window_->show();
    QTRY_VERIFY_WITH_TIMEOUT(annListed(), 30000);
    int resets = 0;
    connect(&window_->games(), &QAbstractItemModel::modelReset, this, [&resets] { ++resets; });

    QProcess queries;
    QProcess games;
    queries.start(QStringLiteral(FLOOD_PROGRAM),
                  {"queries", "1000", "20", "127.0.0.2", QString::number(discoveryPort_)});
    games.start(QStringLiteral(FLOOD_PROGRAM), {"games", "200", "20", "127.0.0.3-127.0.0.250",
                                                QString::number(window_->browser().localPort())});
    QVERIFY(queries.waitForStarted(10000) && games.waitForStarted(10000));

    QElapsedTimer clock;
    clock.start();
    qint64 worstKeyMs = 0;
    int keys = 0;
    int mostRows = 0;
    bool alwaysListed = true;
    while (games.state() != QProcess::NotRunning || queries.state() != QProcess::NotRunning) {
        if (clock.elapsed() > keys * 2000) {
            worstKeyMs = std::max(worstKeyMs, keyLatencyMs(name, counter, QLatin1Char('x')));
            ++keys;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        alwaysListed = alwaysListed && annListed();
        mostRows = std::max(mostRows, window_->games().rowCount());
        QVERIFY(clock.elapsed() < 60000);
    }
    qInfo("flood of %s queries and %s forged games over %lld ms: %d keys typed, the slowest "
          "shown after %lld ms; at most %d rows",
          queries.readAllStandardOutput().trimmed().constData(),
          games.readAllStandardOutput().trimmed().constData(), clock.elapsed(), keys, worstKeyMs,
          mostRows);
    QCOMPARE(queries.exitCode(), 0);
    QCOMPARE(games.exitCode(), 0);
    QVERIFY(keys >= 9);
    QVERIFY(worstKeyMs < 1000);
    QVERIFY(alwaysListed);
    QVERIFY(mostRows > 1);
    QVERIFY(mostRows <= discovery::GameTable::kMaxGames);
    QCOMPARE(resets, 0);
    QCOMPARE(name->text(), QStringLiteral("Bob") + QString(keys, QLatin1Char('x')));
}

QTEST_MAIN(LobbyFloodTest)
#include "lobby_flood_test.moc"
