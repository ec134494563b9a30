#include <QtTest>

#include <QProcess>

// --help and --version of the three programs, started as real processes with
// nothing in their environment but PATH: no display, no platform plugin
// choice, no runtime folder. They must answer and exit 0 all the same, and
// what needs a display says that it cannot open one and exits 1.
class TestInfoOption : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void otherSingleArgumentsAreNoInfoRequest_data();
    void otherSingleArgumentsAreNoInfoRequest();
    void withoutADisplay_data();
    void withoutADisplay();

private:
    struct Run {
        QProcess::ExitStatus status = QProcess::CrashExit;
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    static Run run(const QString &program, const QStringList &arguments);
};

TestInfoOption::Run TestInfoOption::run(const QString &program, const QStringList &arguments)
{
    QProcessEnvironment bare;
    bare.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    QProcess process;
    process.setProcessEnvironment(bare);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus(), process.exitCode(), process.readAllStandardOutput(),
            process.readAllStandardError()};
}

void TestInfoOption::answers_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("expected");

    const QString version = QStringLiteral(LEXICLASH_PROJECT_VERSION);
    QTest::newRow("lexiclash --version")
        << LEXICLASH_EXE << "--version" << QStringList{"lexiclash " + version + "\n"};
    QTest::newRow("lexiclash-lobby --version")
        << LEXICLASH_LOBBY_EXE << "--version" << QStringList{"lexiclash-lobby " + version + "\n"};
    QTest::newRow("lexiclash-container --version")
        << LEXICLASH_CONTAINER_EXE << "--version"
        << QStringList{"lexiclash-container " + version + "\n"};
    // The game's help names every launch mode, every variable of the README,
    // the files it writes, its ports and its exit codes.
    const QStringList game{"Usage: lexiclash ",
                           "lexiclash NAME HOST true",
                           "lexiclash NAME HOST OTHER",
                           "lexiclash NAME [HOST]",
                           "LEXICLASH_PORT",
                           "LEXICLASH_LOBBY_PORT",
                           "LEXICLASH_DISCOVERY_PORT",
                           "LEXICLASH_INSTANCE",
                           "LEXICLASH_HOME",
                           "LEXICLASH_SEED",
                           "LEXICLASH_LOBBY_URL",
                           "LEXICLASH_AUTOMATION",
                           "XDG_RUNTIME_DIR",
                           "XDG_CONFIG_HOME",
                           "quillmarklobby.ini",
                           "Lexiclashtally.tld",
                           "lexiclash-English-",
                           "TCP port 7772",
                           "UDP port 7773",
                           "Exit status"};
    const QStringList lobby{"Usage: lexiclash-lobby", "host NAME",
                            "join NAME HOST",         "LEXICLASH_PORT",
                            "LEXICLASH_LOBBY_PORT",   "LEXICLASH_DISCOVERY_PORT",
                            "XDG_CONFIG_HOME",        "lexiclash-lobby.ini",
                            "UDP port 7773",          "Exit status"};
    const QStringList container{"Usage: lexiclash-container", "compress IN OUT",
                                "decompress IN OUT", "Exit status"};
    QTest::newRow("lexiclash --help") << LEXICLASH_EXE << "--help" << game;
    QTest::newRow("lexiclash -h") << LEXICLASH_EXE << "-h" << game;
    QTest::newRow("lexiclash-lobby --help") << LEXICLASH_LOBBY_EXE << "--help" << lobby;
    QTest::newRow("lexiclash-lobby -h") << LEXICLASH_LOBBY_EXE << "-h" << lobby;
    QTest::newRow("lexiclash-container --help") << LEXICLASH_CONTAINER_EXE << "--help" << container;
    QTest::newRow("lexiclash-container -h") << LEXICLASH_CONTAINER_EXE << "-h" << container;
}

void TestInfoOption::answers()
{
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QFETCH(QStringList, expected);

    const Run result = run(program, {argument});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 0);
    if (argument == QLatin1String("--version"))
        QCOMPARE(QString::fromLocal8Bit(result.out), expected.first());
    for (const QString &text : expected)
        QVERIFY2(result.out.contains(text.toLocal8Bit()), qPrintable(text));
}

void TestInfoOption::otherSingleArgumentsAreNoInfoRequest_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    // The game takes such a command line as a launch mode, so without a
    // display it cannot start at all; the others refuse it as a wrong command
    // line. Neither prints the version or the help on standard output.
    QTest::newRow("lexiclash --Help") << LEXICLASH_EXE << QStringList{"--Help"};
    QTest::newRow("lexiclash --version Ann") << LEXICLASH_EXE << QStringList{"--version", "Ann"};
    QTest::newRow("lexiclash-lobby --version x")
        << LEXICLASH_LOBBY_EXE << QStringList{"--version", "x"};
    QTest::newRow("lexiclash-container --help x")
        << LEXICLASH_CONTAINER_EXE << QStringList{"--help", "x"};
    QTest::newRow("lexiclash-container -version")
        << LEXICLASH_CONTAINER_EXE << QStringList{"-version"};
}

void TestInfoOption::otherSingleArgumentsAreNoInfoRequest()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const Run result = run(program, arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QVERIFY(result.code != 0);
    QVERIFY(!result.out.contains(LEXICLASH_PROJECT_VERSION));
    QVERIFY(!result.out.contains("Usage:"));
}

void TestInfoOption::withoutADisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");

    const QByteArray game = "lexiclash: cannot open the display\n";
    QTest::newRow("lexiclash Ann") << LEXICLASH_EXE << QStringList{"Ann"} << game;
    QTest::newRow("solo game") << LEXICLASH_EXE << QStringList{} << game;
    QTest::newRow("hosting") << LEXICLASH_EXE << QStringList{"Ann", "127.0.0.1", "true"} << game;
    QTest::newRow("lobby window") << LEXICLASH_LOBBY_EXE << QStringList{}
                                  << QByteArray("lexiclash-lobby: cannot open the display\n");
}

// Never an abort: the message says what is missing, and the exit code is 1.
void TestInfoOption::withoutADisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);

    const Run result = run(program, arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.err.endsWith(message), result.err.constData());
    QVERIFY(result.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestInfoOption)
#include "test_infooption.moc"
