#include "lobby/gamelaunch.h"

#include "common/gameexit.h"
#include "common/guard.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {
constexpr int kPollMs = 250;

// Keeps the bytes of a list of texts alive for a char *[] of posix_spawn.
class CStrings {
public:
    explicit CStrings(const QStringList &texts)
    {
        for (const QString &text : texts)
            bytes_.push_back(QFile::encodeName(text));
        for (QByteArray &bytes : bytes_)
            pointers_.push_back(bytes.data());
        pointers_.push_back(nullptr);
    }
    char *const *data() { return pointers_.data(); }

private:
    std::vector<QByteArray> bytes_;
    std::vector<char *> pointers_;
};

// Attributes of the started game: a session of its own, so that signals
// meant for the lobby (a terminal's Ctrl+C, its hang-up) do not reach it, and
// the usual signal mask and dispositions whatever the lobby had set.
class SpawnSettings {
public:
    SpawnSettings()
    {
        ::posix_spawnattr_init(&attr_);
        ::posix_spawn_file_actions_init(&actions_);
        sigset_t none;
        sigemptyset(&none);
        ::posix_spawnattr_setsigmask(&attr_, &none);
        sigset_t reset;
        sigemptyset(&reset);
        for (const int signo : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD})
            sigaddset(&reset, signo);
        ::posix_spawnattr_setsigdefault(&attr_, &reset);
        ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                               POSIX_SPAWN_SETSIGDEF);
        ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    ~SpawnSettings()
    {
        ::posix_spawn_file_actions_destroy(&actions_);
        ::posix_spawnattr_destroy(&attr_);
    }
    SpawnSettings(const SpawnSettings &) = delete;
    SpawnSettings &operator=(const SpawnSettings &) = delete;

    const posix_spawnattr_t *attr() const { return &attr_; }
    const posix_spawn_file_actions_t *actions() const { return &actions_; }

private:
    posix_spawnattr_t attr_;
    posix_spawn_file_actions_t actions_;
};
} // namespace

GameLaunch::GameLaunch(QObject *parent)
    : QObject(parent)
{
}

GameLaunch::~GameLaunch()
{
    // The game goes on; only the lobby's watch of it ends here.
    watcher_.reset();
    if (pidfd_ >= 0)
        ::close(pidfd_);
}

QString GameLaunch::start(const QString &program, const QStringList &arguments,
                          const QProcessEnvironment &environment)
{
    if (running())
        return QStringLiteral("a game is already running");
    CStrings argv(QStringList{program} + arguments);
    CStrings envp(environment.toStringList());
    const SpawnSettings settings;
    pid_t pid = 0;
    const QByteArray path = QFile::encodeName(program);
    const int error = ::posix_spawn(&pid, path.constData(), settings.actions(), settings.attr(),
                                    argv.data(), envp.data());
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    pid_ = pid;
    // Readable once the process has ended (close-on-exec by itself); a
    // kernel without it is asked every little while instead.
    pidfd_ = int(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd_ >= 0) {
        watcher_ = std::make_unique<QSocketNotifier>(pidfd_, QSocketNotifier::Read);
        connect(watcher_.get(), &QSocketNotifier::activated, this,
                [this] { guarded([this] { checkEnded(); }); });
        return {};
    }
    poll_ = std::make_unique<QTimer>();
    connect(poll_.get(), &QTimer::timeout, this, [this] { guarded([this] { checkEnded(); }); });
    poll_->start(kPollMs);
    return {};
}

void GameLaunch::terminate() const
{
    if (running())
        ::kill(pid_t(pid_), SIGTERM);
}

void GameLaunch::checkEnded()
{
    if (!running())
        return;
    int status = 0;
    const pid_t done = ::waitpid(pid_t(pid_), &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return;
    watcher_.reset();
    poll_.reset();
    if (pidfd_ >= 0)
        ::close(pidfd_);
    pidfd_ = -1;
    pid_ = 0;
    if (!onFinished)
        return;
    if (done < 0)
        onFinished(int(GameExit::Failed), false);
    else if (WIFEXITED(status))
        onFinished(WEXITSTATUS(status), false);
    else
        onFinished(-1, true);
}
