// Helper for test_dict: reads a page that a shortened file no longer holds,
// outside any dictionary read, after the dictionary's bus-error handler is in
// place. The process must die of the bus error, not carry on.

#include "dict/tdictn.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

int main()
{
    QFile list(QStringLiteral("busfault.dat"));
    if (!list.open(QIODevice::WriteOnly) || list.write("\x1e"
                                                       "CAT           ") != 15)
        return 2;
    list.close();
    const TDictn dictionary(list.fileName());
    if (!dictionary.IsWord(QStringLiteral("CAT")))
        return 2;

    constexpr int kSize = 1 << 16;
    const int fd = ::open("busfault.bin", O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::ftruncate(fd, kSize) != 0)
        return 2;
    void *map = ::mmap(nullptr, kSize, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED || ::ftruncate(fd, 0) != 0)
        return 2;
    const volatile char *bytes = static_cast<const char *>(map);
    return bytes[kSize / 2] == 0 ? 0 : 3;
}
