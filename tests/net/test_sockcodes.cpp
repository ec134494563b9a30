// The socket component's code tables, as the owners of a socket read them.

#include "net/sockcodes.h"

#include <QtTest>

#include <cerrno>

class TestSockCodes : public QObject {
    Q_OBJECT
private slots:
    void brokenConnectionErrors_data();
    void brokenConnectionErrors();
    void errorNames_data();
    void errorNames();
    void errnoValuesMapToWindowsCodes_data();
    void errnoValuesMapToWindowsCodes();
    void infoKindNames_data();
    void infoKindNames();
};

void TestSockCodes::brokenConnectionErrors_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("broken");
    QTest::newRow("reset from errno") << wsaErrorFromErrno(ECONNRESET) << true;
    QTest::newRow("broken pipe from errno") << wsaErrorFromErrno(EPIPE) << true;
    QTest::newRow("aborted from errno") << wsaErrorFromErrno(ECONNABORTED) << true;
    QTest::newRow("timed out from errno") << wsaErrorFromErrno(ETIMEDOUT) << true;
    QTest::newRow("no error") << 0 << false;
    QTest::newRow("10035 would block") << 10035 << false;
    QTest::newRow("10036 in progress") << 10036 << false;
    QTest::newRow("10061 refused") << 10061 << false;
    QTest::newRow("10065 host unreachable") << 10065 << false;
    QTest::newRow("errno without a counterpart") << wsaErrorFromErrno(EIO) << false;
    QTest::newRow("the bare errno of a reset") << int(ECONNRESET) << false;
}

void TestSockCodes::brokenConnectionErrors()
{
    QFETCH(int, code);
    QFETCH(bool, broken);
    QCOMPARE(isBrokenConnectionError(code), broken);
}

void TestSockCodes::errorNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("10004") << 10004 << "WSAEINTR";
    QTest::newRow("10009") << 10009 << "WSAEBADF";
    QTest::newRow("10013") << 10013 << "WSAEACCES";
    QTest::newRow("10014") << 10014 << "WSAEFAULT";
    QTest::newRow("10022") << 10022 << "WSAEINVAL";
    QTest::newRow("10024") << 10024 << "WSAEMFILE";
    QTest::newRow("10035") << 10035 << "WSAEWOULDBLOCK";
    QTest::newRow("10036") << 10036 << "WSAEINPROGRESS";
    QTest::newRow("10048") << 10048 << "WSAEADDRINUSE";
    QTest::newRow("10053") << 10053 << "WSAECONNABORTED";
    QTest::newRow("10054") << 10054 << "WSAECONNRESET";
    QTest::newRow("10060") << 10060 << "WSAETIMEDOUT";
    QTest::newRow("10061") << 10061 << "WSAECONNREFUSED";
    QTest::newRow("10067") << 10067 << "WSAEPROCLIM";
    QTest::newRow("10071") << 10071 << "WSAEREMOTE";
    QTest::newRow("10091") << 10091 << "WSASYSNOTREADY";
    QTest::newRow("10092") << 10092 << "WSAVERNOTSUPPORTED";
    QTest::newRow("10093") << 10093 << "WSANOTINITIALISED";
    QTest::newRow("10101") << 10101 << "WSAEDISCON";
    QTest::newRow("11001") << 11001 << "WSAHOST_NOT_FOUND";
    QTest::newRow("11002") << 11002 << "WSATRY_AGAIN";
    QTest::newRow("11003") << 11003 << "WSANO_RECOVERY";
    QTest::newRow("11004") << 11004 << "WSANO_DATA";
    QTest::newRow("0") << 0 << "UNKNOWN ERROR";
    QTest::newRow("10034 below the range") << 10034 << "UNKNOWN ERROR";
    QTest::newRow("10072 above the range") << 10072 << "UNKNOWN ERROR";
    QTest::newRow("10100") << 10100 << "UNKNOWN ERROR";
    QTest::newRow("11005") << 11005 << "UNKNOWN ERROR";
}

void TestSockCodes::errorNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(socketErrorName(code), name);
}

void TestSockCodes::errnoValuesMapToWindowsCodes_data()
{
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("code");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("EWOULDBLOCK") << int(EWOULDBLOCK) << 10035;
    QTest::newRow("EINPROGRESS") << int(EINPROGRESS) << 10036;
    QTest::newRow("EADDRINUSE") << int(EADDRINUSE) << 10048;
    QTest::newRow("ECONNABORTED") << int(ECONNABORTED) << 10053;
    QTest::newRow("ECONNRESET") << int(ECONNRESET) << 10054;
    QTest::newRow("ETIMEDOUT") << int(ETIMEDOUT) << 10060;
    QTest::newRow("ECONNREFUSED") << int(ECONNREFUSED) << 10061;
    QTest::newRow("EHOSTUNREACH") << int(EHOSTUNREACH) << 10065;
    QTest::newRow("EPIPE") << int(EPIPE) << 10053;
    QTest::newRow("EINTR") << int(EINTR) << 10004;
    QTest::newRow("no counterpart") << int(EIO) << 20000 + int(EIO);
}

void TestSockCodes::errnoValuesMapToWindowsCodes()
{
    QFETCH(int, err);
    QFETCH(int, code);
    QCOMPARE(wsaErrorFromErrno(err), code);
}

void TestSockCodes::infoKindNames_data()
{
    QTest::addColumn<TSocketInfo>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << TSocketInfo::siLookup << "Lookup";
    QTest::newRow("1") << TSocketInfo::siConnect << "Connect";
    QTest::newRow("2") << TSocketInfo::siClose << "Close";
    QTest::newRow("3") << TSocketInfo::siListen << "Listen";
    QTest::newRow("4") << TSocketInfo::siReceive << "Receive";
    QTest::newRow("5") << TSocketInfo::siSend << "Send";
    QTest::newRow("6") << TSocketInfo::siAccept << "Accept";
    QTest::newRow("7") << TSocketInfo::siError << "Error";
}

void TestSockCodes::infoKindNames()
{
    QFETCH(TSocketInfo, kind);
    QFETCH(QString, name);
    QCOMPARE(socketInfoName(kind), name);
}

QTEST_GUILESS_MAIN(TestSockCodes)
#include "test_sockcodes.moc"
