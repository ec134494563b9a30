#include "rig.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

constexpr int kRigStartMs = 20000;
constexpr int kRigStopMs = 15000;
constexpr int kSkipCode = 77;

} // namespace

QString rigScript()
{
    return QStringLiteral(LEXICLASH_RIG_SCRIPT);
}

Rig::~Rig()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kRigStopMs)) {
        process_.terminate();
        process_.waitForFinished(kRigStopMs);
    }
}

bool Rig::start(const QString &mode)
{
    process_.setProgram(QStringLiteral("bash"));
    process_.setArguments({rigScript(), mode});
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(kRigStartMs)) {
        failure_ = QStringLiteral("bash did not start");
        return false;
    }
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kRigStartMs) {
        if (process_.canReadLine() || process_.waitForReadyRead(200)) {
            while (process_.canReadLine()) {
                const QByteArray line = process_.readLine().trimmed();
                seen += line + '\n';
                if (line.startsWith("skip ")) {
                    skip_ = QString::fromUtf8(line.mid(5));
                    process_.waitForFinished(kRigStopMs);
                    return false;
                }
                if (!line.startsWith("ready "))
                    continue;
                for (const QByteArray &pair : line.mid(6).split(' ')) {
                    const qsizetype equals = pair.indexOf('=');
                    if (equals > 0)
                        values_.insert(QString::fromUtf8(pair.left(equals)),
                                       QString::fromUtf8(pair.mid(equals + 1)));
                }
                return true;
            }
        }
        if (process_.state() == QProcess::NotRunning)
            break;
    }
    if (process_.state() == QProcess::NotRunning && process_.exitCode() == kSkipCode)
        skip_ = QString::fromUtf8(seen);
    else
        failure_ = QStringLiteral("the rig did not stand: ") + QString::fromUtf8(seen) +
                   QString::fromUtf8(process_.readAllStandardError());
    return false;
}

QStringList Rig::in(const QString &nameKey) const
{
    return {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), value(nameKey)};
}

int Rig::run(const QString &nameKey, const QStringList &command, QByteArray *output,
             int timeoutMs) const
{
    const QStringList launcher = in(nameKey) + command;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(launcher.first(), launcher.mid(1));
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(timeoutMs);
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QByteArray Rig::mappings() const
{
    QByteArray output;
    run(QStringLiteral("router"),
        {QStringLiteral("nft"), QStringLiteral("list"), QStringLiteral("chain"),
         QStringLiteral("inet"), QStringLiteral("filter"), QStringLiteral("prerouting_miniupnpd")},
        &output);
    return output;
}

QByteArray Rig::routerLog() const
{
    QFile file(value(QStringLiteral("upnpd_log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
