// The socket component's code tables, as the owners of a socket read them.

#include "net/sockcodes.h"

#include <QtTest>

#include <cerrno>

class TestSockCodes : public QObject {
    Q_OBJECT
private slots:
    void brokenConnectionErrors_data();
    void brokenConnectionErrors();
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

QTEST_GUILESS_MAIN(TestSockCodes)
#include "test_sockcodes.moc"
