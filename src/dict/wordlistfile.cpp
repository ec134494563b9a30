#include "dict/wordlistfile.h"

#include "common/errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

WordListFile::~WordListFile()
{
    close();
}

bool WordListFile::open(const QString &fileName)
{
    close();
    // The dictionary never writes to the list, so a read-only file serves as well.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && adopt(fd, fileName);
}

bool WordListFile::adopt(int fd, const QString &fileName)
{
    close();
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    const qint64 count = info.st_size / kRecordSize;
    const qint64 bytes = count * kRecordSize;
    if (bytes > 0) {
        void *map = ::mmap(nullptr, static_cast<size_t>(bytes), PROT_READ, MAP_SHARED, fd, 0);
        if (map == MAP_FAILED) {
            ::close(fd);
            return false;
        }
        data_ = static_cast<const unsigned char *>(map);
    }
    fd_ = fd;
    fileName_ = fileName;
    mappedBytes_ = bytes;
    recordCount_ = count;
    return true;
}

void WordListFile::close()
{
    if (data_)
        ::munmap(const_cast<unsigned char *>(data_), static_cast<size_t>(mappedBytes_));
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    data_ = nullptr;
    mappedBytes_ = 0;
    recordCount_ = 0;
}

qint64 WordListFile::readableRecords() const
{
    if (fd_ < 0)
        return 0;
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw Error(QStringLiteral("I/O error reading %1: %2")
                        .arg(fileName_, QString::fromLocal8Bit(std::strerror(errno))));
    return qMin(recordCount_, static_cast<qint64>(info.st_size) / kRecordSize);
}
