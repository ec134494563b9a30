#include "common/runtimefile.h"

#include "common/errors.h"
#include "common/paths.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString prefixOf(const QString &base)
{
    return QStringLiteral("lexiclash-") + base + QLatin1Char('-');
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when path still names the file open at fd.
bool namesDescriptor(const QByteArray &path, int fd)
{
    struct stat named {};
    struct stat open {};
    return ::lstat(path.constData(), &named) == 0 && ::fstat(fd, &open) == 0 &&
           sameFile(named, open);
}

// Removes one file of the pattern when it is ours and no copy holds it.
void removeIfUnheld(const QByteArray &path)
{
    // Never follows a link and never waits on a pipe that took our name.
    const int fd =
        ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && namesDescriptor(path, fd))
        ::unlink(path.constData());
    ::close(fd);
}

} // namespace

RuntimeFile::RuntimeFile(const QString &base)
    : RuntimeFile(base, scratchFolder())
{
}

RuntimeFile::RuntimeFile(const QString &base, const QString &folder)
{
    const QByteArray pattern = QFile::encodeName(QDir(folder).filePath(prefixOf(base))) + "XXXXXX";
    // A copy that clears away stale files may take our new file for one in
    // the moment before we lock it; the name is then gone, and we make another.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        QByteArray name = pattern;
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            throw Error(
                QStringLiteral("Cannot create file %1. %2")
                    .arg(QFile::decodeName(name), QString::fromLocal8Bit(std::strerror(errno))));
        if (::flock(fd, LOCK_EX) == 0 && namesDescriptor(name, fd)) {
            fd_ = fd;
            path_ = QFile::decodeName(name);
        } else {
            ::close(fd);
        }
    }
    if (fd_ < 0)
        throw Error(QStringLiteral("Cannot create a file in %1.").arg(folder));
}

RuntimeFile::~RuntimeFile()
{
    // Whatever took the name since (nothing should) is not ours to remove.
    const QByteArray path = QFile::encodeName(path_);
    if (namesDescriptor(path, fd_))
        ::unlink(path.constData());
    ::close(fd_);
}

void RuntimeFile::removeStale(const QString &base, const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({prefixOf(base) + QStringLiteral("??????")},
                                            QDir::Files | QDir::System | QDir::Hidden |
                                                QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QString &name : names)
        removeIfUnheld(QFile::encodeName(dir.filePath(name)));
}
