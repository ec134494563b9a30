#include "shell/singleinstance.h"

#include "common/guard.h"
#include "common/runtimefolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char kActivate[] = "activate\n";
constexpr char kDone[] = "done\n";
// How long a later copy waits for the first to answer; the first may still be
// starting up when the later one arrives.
constexpr int kAnswerMs = 5000;

bool socketAddress(const QString &name, sockaddr_un &address)
{
    const QByteArray path = QFile::encodeName(name);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

bool waitFor(int fd, short events, int ms)
{
    pollfd entry{fd, events, 0};
    return ::poll(&entry, 1, ms) > 0;
}

} // namespace

SingleInstance::SingleInstance(const QString &identifier, QObject *parent)
    : QObject(parent)
    , name_(scopedName(identifier))
{
}

SingleInstance::~SingleInstance()
{
    notifier_.reset();
    if (listenfd_ >= 0) {
        ::close(listenfd_);
        ::unlink(QFile::encodeName(name_).constData());
    }
    if (lockfd_ >= 0)
        ::close(lockfd_);
}

QString SingleInstance::scopedName(const QString &identifier)
{
    QString name = runtimeFolder() + QLatin1Char('/') + identifier;
    const QString scope = qEnvironmentVariable("LEXICLASH_INSTANCE");
    if (!scope.isEmpty())
        name += QLatin1Char('-') + scope;
    return name;
}

void SingleInstance::setActivationHandler(std::function<void()> handler)
{
    activate_ = std::move(handler);
}

bool SingleInstance::anotherInstanceRuns(bool activate)
{
    if (becomeFirst())
        return false;
    askFirst(activate);
    return true;
}

bool SingleInstance::becomeFirst()
{
    const QByteArray lockPath = QFile::encodeName(name_ + QStringLiteral(".lock"));
    lockfd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file nobody can tell; run rather than refuse to start.
    if (lockfd_ < 0)
        return true;
    if (::flock(lockfd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockfd_);
        lockfd_ = -1;
        return false;
    }

    sockaddr_un address;
    if (!socketAddress(name_, address))
        return true;
    // The lock is ours, so a socket file left there belongs to a copy that died.
    ::unlink(address.sun_path);
    listenfd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenfd_ < 0)
        return true;
    if (::bind(listenfd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listenfd_, 4) != 0) {
        ::close(listenfd_);
        listenfd_ = -1;
        return true;
    }
    notifier_ = std::make_unique<QSocketNotifier>(listenfd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this,
            [this] { guarded([this] { onConnection(); }); });
    return true;
}

void SingleInstance::askFirst(bool activate)
{
    sockaddr_un address;
    if (!socketAddress(name_, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    QElapsedTimer waited;
    waited.start();
    while (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (waited.elapsed() > kAnswerMs) {
            ::close(fd);
            return;
        }
        QThread::msleep(50);
    }
    if (activate && ::send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL) > 0 &&
        waitFor(fd, POLLIN, kAnswerMs)) {
        char answer[16];
        [[maybe_unused]] const ssize_t got = ::recv(fd, answer, sizeof answer, 0);
    }
    ::close(fd);
}

void SingleInstance::onConnection()
{
    while (true) {
        const int peer = ::accept4(listenfd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            return;
        // A later copy writes its one short request right after connecting.
        char request[32] = {};
        ssize_t got = 0;
        if (waitFor(peer, POLLIN, 1000))
            got = ::recv(peer, request, sizeof request - 1, 0);
        if (got > 0 && std::strcmp(request, kActivate) == 0 && activate_)
            activate_();
        ::send(peer, kDone, sizeof kDone - 1, MSG_NOSIGNAL);
        ::close(peer);
    }
}
