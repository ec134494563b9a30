#include "processfigures.h"

#include <QDir>
#include <QFile>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's own account of the heap (its headers do not come with g++).
extern "C" void __sanitizer_purge_allocator();
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Gives back to the system what the allocator keeps but nothing uses, so the
// resident set counts what is in use (a leak stays in use). Under
// AddressSanitizer this also empties its quarantine of freed blocks.
void releaseFreeMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_purge_allocator();
#else
    malloc_trim(0);
#endif
}

qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

// A figure of /proc/self/status in KiB ("VmRSS", "RssAnon", ...); -1 when missing.
qint64 statusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Lines of /proc/self/maps: one per mapped region.
int countMappings()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    return int(maps.readAll().count('\n'));
}

int countOpenFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}
} // namespace

ProcessFigures ProcessFigures::read()
{
    releaseFreeMemory();
    ProcessFigures f;
    f.openFiles = countOpenFiles();
    f.mappings = countMappings();
    f.residentKiB = statusKiB("VmRSS");
    f.anonKiB = statusKiB("RssAnon");
    f.fileKiB = statusKiB("RssFile");
    f.heapBytes = heapInUse();
    return f;
}

bool ProcessFigures::heapIsExact()
{
    // AddressSanitizer counts the blocks in use itself. The C library's
    // per-thread cache of freed blocks counts as in use to mallinfo2 and
    // fills slowly as blocks of new sizes are freed (tens of KiB in a
    // thousand games); with the cache off the figure is exact.
    return kSanitized || qgetenv("GLIBC_TUNABLES").contains("glibc.malloc.tcache_count=0");
}

bool ProcessFigures::allocatorIsPlain()
{
    // AddressSanitizer maps regions of its own as it needs them and keeps
    // what its quarantine and its records once took, emptied or not: tens of
    // MiB more resident after a thousand games, with the heap in use flat.
    return !kSanitized;
}

QString ProcessFigures::text() const
{
    return QStringLiteral("open files %1, mappings %2, VmRSS %3 KiB (RssAnon %4 KiB, RssFile %5 "
                          "KiB), heap in use %6 B")
        .arg(openFiles)
        .arg(mappings)
        .arg(residentKiB)
        .arg(anonKiB)
        .arg(fileKiB)
        .arg(heapBytes);
}
