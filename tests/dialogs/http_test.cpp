#include "httptestserver.h"
#include "loopbackport.h"

#include "http/thttpcli.h"

#include <QBuffer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Mode = HttpTestServer::Mode;

namespace {
QByteArray sampleBody(int size)
{
    QByteArray body;
    for (int i = 0; i < size; ++i)
        body.append(char('a' + i % 26));
    return body;
}
} // namespace

class HttpTest : public QObject {
    Q_OBJECT
private slots:
    void requestHeadAsSent();
    void outcomes_data();
    void outcomes();
    void eventsOfOneDocument();
    void emptyDocumentStillBegins();
    void abortFromTimerWhileWaiting();
    void handlerExceptionEndsTransfer();
    void abortFromInsideHandler();
    void abortWhenIdleDoesNothing();
};

void HttpTest::requestHeadAsSent()
{
    HttpTestServer server;
    server.setReply("/lobby/qmlsetup.exe", {200, "OK", "MZ", Mode::Complete, {}, 64});
    // Proxy settings of the environment are never used.
    qputenv("http_proxy", "http://127.0.0.1:9");
    qputenv("HTTP_PROXY", "http://127.0.0.1:9");
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/lobby/qmlsetup.exe"));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    client.setRcvdStream(&sink);
    client.Get();
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");

    QCOMPARE(server.requests().size(), 1);
    const QList<QByteArray> lines = server.requests().first().split('\n');
    QCOMPARE(lines.first(), QByteArray("GET /lobby/qmlsetup.exe HTTP/1.0\r"));
    const QByteArray head = server.requests().first();
    QVERIFY(head.contains("\r\nHost: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n"));
    QVERIFY(head.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    QVERIFY(
        head.contains("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
    QCOMPARE(head.count("Accept:"), 1);
    QVERIFY(!head.contains("Pragma"));
    QCOMPARE(sink.data(), QByteArray("MZ"));
}

void HttpTest::outcomes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("extraHeaders");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("raises");
    QTest::addColumn<int>("raisedStatus");
    QTest::addColumn<QByteArray>("written");

    const QByteArray body = sampleBody(5000);
    QTest::newRow("complete") << 200 << int(Mode::Complete) << QByteArray() << false << false << 0
                              << body;
    QTest::newRow("not found") << 404 << int(Mode::Complete) << QByteArray() << false << true << 404
                               << QByteArray();
    QTest::newRow("server error") << 500 << int(Mode::Complete) << QByteArray() << false << true
                                  << 500 << QByteArray();
    QTest::newRow("status 400 is the first failure")
        << 400 << int(Mode::Complete) << QByteArray() << false << true << 400 << QByteArray();
    QTest::newRow("status 399 is no failure")
        << 399 << int(Mode::Complete) << QByteArray() << false << false << 0 << body;
    QTest::newRow("broken transfer")
        << 200 << int(Mode::Truncated) << QByteArray() << false << true << 200 << body;
    QTest::newRow("relocation followed")
        << 302 << int(Mode::Complete) << QByteArray("Location: /real.exe\r\n") << false << false
        << 0 << QByteArray("the real document");
    QTest::newRow("nobody listening")
        << 200 << int(Mode::Complete) << QByteArray() << true << true << 0 << QByteArray();
}

void HttpTest::outcomes()
{
    QFETCH(int, status);
    QFETCH(int, mode);
    QFETCH(QByteArray, extraHeaders);
    QFETCH(bool, refused);
    QFETCH(bool, raises);
    QFETCH(int, raisedStatus);
    QFETCH(QByteArray, written);

    HttpTestServer server;
    server.setReply("/doc", {status, "Reason", sampleBody(5000), Mode(mode), extraHeaders, 64});
    server.setReply("/real.exe", {200, "OK", "the real document", Mode::Complete, {}, 64});
    THttpCli client;
    client.URL = refused ? QStringLiteral("http://127.0.0.1:%1/doc").arg(unusedLoopbackPort())
                         : QString::fromLatin1(server.url("/doc"));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    client.setRcvdStream(&sink);

    bool raised = false;
    try {
        client.Get();
    } catch (const EHttpException &e) {
        raised = true;
        QCOMPARE(e.statusCode(), raisedStatus);
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(raised, raises);
    QCOMPARE(sink.data(), written);
    QCOMPARE(client.RcvdCount(), qint64(written.size()));
    QVERIFY(!client.busy());
}

void HttpTest::eventsOfOneDocument()
{
    HttpTestServer server;
    const QByteArray body = sampleBody(3000);
    server.setReply("/doc", {200, "OK", body, Mode::Drip, {}, 100});
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/doc"));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    client.setRcvdStream(&sink);

    QStringList headerLines;
    QStringList order;
    qint64 lastCount = 0;
    QByteArray pieces;
    client.OnHeaderData = [&](THttpCli *sender) { headerLines << sender->LastResponse(); };
    client.OnDocBegin = [&](THttpCli *) { order << "begin"; };
    client.OnDocData = [&](THttpCli *sender, const QByteArray &data) {
        order << "data";
        pieces += data;
        QCOMPARE(sender->RcvdCount(), lastCount + data.size());
        lastCount = sender->RcvdCount();
    };
    client.Get();

    QCOMPARE(headerLines,
             QStringList({"HTTP/1.0 200 OK", "Server: lexiclash-test",
                          "Content-Type: application/octet-stream", "Content-Length: 3000"}));
    QCOMPARE(order.first(), QStringLiteral("begin"));
    QCOMPARE(order.count("begin"), 1);
    QVERIFY(order.count("data") > 1);
    QCOMPARE(pieces, body);
    QCOMPARE(sink.data(), body);
    QCOMPARE(client.StatusCode(), 200);
    QCOMPARE(client.ReasonPhrase(), QStringLiteral("OK"));
}

void HttpTest::emptyDocumentStillBegins()
{
    HttpTestServer server;
    server.setReply("/empty", {200, "OK", {}, Mode::Complete, {}, 64});
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/empty"));
    int begun = 0;
    client.OnDocBegin = [&](THttpCli *) { ++begun; };
    client.Get();
    QCOMPARE(begun, 1);
    QCOMPARE(client.RcvdCount(), qint64(0));
}

void HttpTest::abortFromTimerWhileWaiting()
{
    HttpTestServer server;
    server.setReply("/slow", {200, "OK", "first part", Mode::Stall, {}, 64});
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/slow"));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    client.setRcvdStream(&sink);

    // The server holds the transfer open; only this timer, ticking while Get
    // waits, can end it.
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (++ticks >= 3 && client.RcvdCount() > 0)
            client.Abort();
    });
    ticker.start();
    try {
        client.Get();
        QFAIL("a stopped request must raise");
    } catch (const EHttpException &e) {
        QCOMPARE(e.statusCode(), 404);
        QCOMPARE(e.message(), QStringLiteral("Connection aborted on request"));
    }
    ticker.stop();
    QVERIFY(ticks >= 3);
    QCOMPARE(sink.data(), QByteArray("first part"));
    QVERIFY(!client.busy());
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 10000);
}

void HttpTest::handlerExceptionEndsTransfer()
{
    HttpTestServer server;
    server.setReply("/doc", {200, "OK", sampleBody(2000), Mode::Drip, {}, 100});
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/doc"));
    client.OnDocData = [](THttpCli *, const QByteArray &) { throw Error("handler failed"); };
    try {
        client.Get();
        QFAIL("the handler's exception must come out of Get");
    } catch (const EHttpException &) {
        QFAIL("the handler's own exception, not an HTTP failure, must come out");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("handler failed"));
    }
    QVERIFY(client.RcvdCount() < 2000);

    // The client is ready for the next request.
    client.OnDocData = nullptr;
    client.Get();
    QCOMPARE(client.RcvdCount(), qint64(2000));
}

void HttpTest::abortFromInsideHandler()
{
    HttpTestServer server;
    server.setReply("/doc", {200, "OK", sampleBody(3000), Mode::Drip, {}, 100});
    THttpCli client;
    client.URL = QString::fromLatin1(server.url("/doc"));
    int pieces = 0;
    client.OnDocData = [&](THttpCli *sender, const QByteArray &) {
        if (++pieces == 2)
            sender->Abort();
    };
    try {
        client.Get();
        QFAIL("a stopped request must raise");
    } catch (const EHttpException &e) {
        QCOMPARE(e.statusCode(), 404);
        QCOMPARE(e.message(), QStringLiteral("Connection aborted on request"));
    }
    QCOMPARE(pieces, 2);
    QVERIFY(!client.busy());
}

void HttpTest::abortWhenIdleDoesNothing()
{
    THttpCli client;
    client.Abort();
    QVERIFY(!client.busy());
    HttpTestServer server;
    server.setReply("/doc", {200, "OK", "x", Mode::Complete, {}, 64});
    client.URL = QString::fromLatin1(server.url("/doc"));
    client.Get();
    QCOMPARE(client.RcvdCount(), qint64(1));
}

QTEST_GUILESS_MAIN(HttpTest)
#include "http_test.moc"
