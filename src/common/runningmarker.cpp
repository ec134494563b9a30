#include "common/runningmarker.h"

#include "common/runtimefolder.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

RunningMarker::RunningMarker()
{
    fd_ = ::open(QFile::encodeName(path()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Several copies run side by side, so each holds the lock shared; the
    // marker is a courtesy to other programs and never stops the game.
    if (fd_ >= 0)
        ::flock(fd_, LOCK_SH | LOCK_NB);
}

RunningMarker::~RunningMarker()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QString RunningMarker::path()
{
    return runtimeFolder() + QStringLiteral("/lexiclash");
}

bool RunningMarker::gameRunning()
{
    const int fd = ::open(QFile::encodeName(path()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!held)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}
