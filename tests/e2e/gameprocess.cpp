#include "gameprocess.h"
#include "loopbackport.h"

#include "common/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int kAnswerTimeoutMs = 20000;
}

QString gameProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/lexiclash");
}

GameProcess::GameProcess(const QString &root, const QString &name, quint16 gamePort)
    : name_(name)
    , program_(gameProgram())
    , home_(root + QLatin1Char('/') + name + QStringLiteral("/home"))
    , work_(root + QLatin1Char('/') + name + QStringLiteral("/work"))
    , runtime_(root + QLatin1Char('/') + name + QStringLiteral("/run"))
    , logPath_(root + QLatin1Char('/') + name + QStringLiteral("/log.txt"))
    , env_(QProcessEnvironment::systemEnvironment())
{
    QByteArray folder = "/tmp/lxa-XXXXXX";
    if (::mkdtemp(folder.data()))
        socketFolder_ = QFile::decodeName(folder);
    socketPath_ = socketFolder_ + QStringLiteral("/a");
    QDir().mkpath(home_);
    QDir().mkpath(work_);
    QDir().mkpath(runtime_);
    QFile::setPermissions(runtime_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env_.insert(QStringLiteral("LEXICLASH_HOME"), home_);
    env_.insert(QStringLiteral("LEXICLASH_PORT"), QString::number(gamePort));
    // No lobby listens there: the presence connection fails quietly.
    env_.insert(QStringLiteral("LEXICLASH_LOBBY_PORT"), QString::number(unusedLoopbackPort()));
    env_.insert(QStringLiteral("LEXICLASH_INSTANCE"), name);
    env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
    env_.insert(QStringLiteral("LEXICLASH_AUTOMATION"), socketPath_);
}

GameProcess::~GameProcess()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
    if (!socketFolder_.isEmpty())
        QDir(socketFolder_).removeRecursively();
}

QStringList GameProcess::wordLists() const
{
    const QDir folder(runtime_);
    QStringList paths;
    for (const QString &name :
         folder.entryList({QStringLiteral("lexiclash-English-*")}, QDir::Files))
        paths << folder.filePath(name);
    return paths;
}

void GameProcess::setEnv(const QString &key, const QString &value)
{
    env_.insert(key, value);
}

void GameProcess::unsetEnv(const QString &key)
{
    env_.remove(key);
}

bool GameProcess::start(const QStringList &parameters)
{
    if (!launch(parameters))
        return false;
    return waitFor([this] { return connectAutomation(); });
}

bool GameProcess::launch(const QStringList &parameters)
{
    process_ = std::make_unique<QProcess>();
    process_->setProgram(program_);
    process_->setArguments(parameters);
    process_->setWorkingDirectory(work_);
    process_->setProcessEnvironment(env_);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardOutputFile(logPath_);
    process_->start();
    return process_->waitForStarted(10000);
}

bool GameProcess::connectAutomation()
{
    if (process_->state() == QProcess::NotRunning)
        return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath_);
    std::memcpy(address.sun_path, path.constData(),
                std::min(size_t(path.size()), sizeof address.sun_path - 1));
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    timeval timeout{kAnswerTimeoutMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    fd_ = fd;
    return true;
}

QByteArray GameProcess::command(const QByteArray &line)
{
    if (fd_ < 0)
        return {};
    const QByteArray out = line + '\n';
    if (::send(fd_, out.constData(), size_t(out.size()), MSG_NOSIGNAL) != out.size())
        return {};
    QByteArray answer;
    char c = 0;
    while (::recv(fd_, &c, 1, 0) == 1) {
        if (c == '\n')
            return answer;
        answer.append(c);
    }
    return {};
}

QString GameProcess::text(const QString &objectName)
{
    const QByteArray answer = command("text " + objectName.toUtf8());
    if (!answer.startsWith("ok"))
        return QStringLiteral("<%1>").arg(QString::fromUtf8(answer));
    return QString::fromUtf8(answer.mid(3)).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

bool GameProcess::waitFor(const std::function<bool()> &probe, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!probe()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

qint64 GameProcess::pid() const
{
    return process_ ? process_->processId() : -1;
}

int GameProcess::fdCount() const
{
    QDir fds(QStringLiteral("/proc/%1/fd").arg(pid()));
    if (!fds.exists())
        return -1;
    return int(fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

qint64 GameProcess::statusKb(const char *field) const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void GameProcess::signal(int signo) const
{
    if (pid() > 0)
        ::kill(pid_t(pid()), signo);
}

bool GameProcess::waitExit(int timeoutMs)
{
    if (!process_)
        return true;
    if (process_->state() == QProcess::NotRunning)
        return true;
    return process_->waitForFinished(timeoutMs);
}

int GameProcess::exitCode() const
{
    return process_ ? process_->exitCode() : -1;
}

QProcess::ExitStatus GameProcess::exitStatus() const
{
    return process_ ? process_->exitStatus() : QProcess::CrashExit;
}

QByteArray GameProcess::log() const
{
    return readWholeFile(logPath_).value_or(QByteArray());
}
