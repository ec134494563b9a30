#pragma once

#include "dict/mappedread.h"

#include <QString>
#include <QtGlobal>

// The word-list file, opened once read-only and mapped into memory: records
// are compared where they lie in the file, nothing of the list is copied into
// the process.
class WordListFile {
public:
    static constexpr qint64 kRecordSize = 15;

    WordListFile() = default;
    ~WordListFile();
    WordListFile(const WordListFile &) = delete;
    WordListFile &operator=(const WordListFile &) = delete;

    // Opens and maps a regular file; false when it cannot be opened or mapped.
    bool open(const QString &fileName);
    // Maps the regular file open at fd, which this object takes over (and
    // closes also on failure); fileName names it in error messages.
    bool adopt(int fd, const QString &fileName);
    // Unmaps and closes; does nothing when not open.
    void close();
    // True between a successful open() and close().
    bool isOpen() const { return fd_ >= 0; }
    // Whole records the file held when it was opened (0 when not open).
    qint64 recordCount() const { return recordCount_; }
    // Whole records the file holds now (another program may have cut it short);
    // throws Error when the file cannot be examined.
    qint64 readableRecords() const;
    // The 15 bytes of record index, below recordCount(); read them only inside read().
    const unsigned char *record(qint64 index) const { return data_ + index * kRecordSize; }
    // Runs body(), which reads records; false when the file failed to deliver one.
    template <typename Body> bool read(Body &&body) const
    {
        return readMapped(data_, static_cast<std::size_t>(mappedBytes_), body);
    }

private:
    int fd_ = -1;
    const unsigned char *data_ = nullptr;
    qint64 mappedBytes_ = 0;
    qint64 recordCount_ = 0;
    QString fileName_;
};
