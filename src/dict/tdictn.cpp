#include "dict/tdictn.h"

#include "common/errors.h"
#include "common/messagebox.h"
#include "common/paths.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

const QString TDictn::kDefaultResource = QStringLiteral(":/dict/TEXT_DEMO");
const QString TDictn::kFileBase = QStringLiteral("English");

namespace {

// A record is the byte 0x1E and a 14-byte field; the compared form of both the
// record and the query is the field padded with one more blank, and since that
// blank is the same on both sides only the 14 field bytes need comparing.
constexpr int kField = 14;

using Key = std::array<unsigned char, kField>;

unsigned char capital(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

bool isBlank(QChar c)
{
    return c.unicode() == 0 || c.unicode() == ' ';
}

// Builds the compared form of a query; false when no record can equal it: empty
// after removing blanks, too long for the field (the stored form always ends
// in a blank) or holding a character that a single-byte file cannot contain.
// length receives the number of characters kept.
bool normaliseKey(const QString &word, Key &key, int &length)
{
    qsizetype begin = 0;
    qsizetype end = word.size();
    while (begin < end && isBlank(word[begin]))
        ++begin;
    while (end > begin && isBlank(word[end - 1]))
        --end;
    length = static_cast<int>(end - begin);
    if (length == 0 || length > kField)
        return false;
    key.fill(' ');
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = word[begin + i].unicode();
        if (c > 0xFF)
            return false;
        key[i] = c == 0 ? ' ' : capital(static_cast<unsigned char>(c));
    }
    return true;
}

// Compares the first width bytes of a record's field with the key.
int compareRecord(const unsigned char *record, const unsigned char *key, int width = kField)
{
    for (int i = 0; i < width; ++i) {
        const unsigned char c = capital(record[1 + i]);
        if (c != key[i])
            return c < key[i] ? -1 : 1;
    }
    return 0;
}

// Copies the whole resource into the file open at fd.
void writeAll(int fd, const QString &fileName, QFile &resource)
{
    const auto fail = [&] {
        return Error(QStringLiteral("Cannot write file %1. %2")
                         .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    };
    while (!resource.atEnd()) {
        const QByteArray chunk = resource.read(1 << 16);
        if (chunk.isEmpty())
            throw Error(QStringLiteral("Cannot read the word list from the program."));
        for (qsizetype done = 0; done < chunk.size();) {
            const ssize_t written =
                ::write(fd, chunk.constData() + done, static_cast<size_t>(chunk.size() - done));
            if (written < 0 && errno != EINTR)
                throw fail();
            done += written > 0 ? written : 0;
        }
    }
}

} // namespace

TDictn::TDictn(QObject *parent)
    : TDictn(kDefaultResource, scratchFolder(), parent)
{
}

TDictn::TDictn(const QString &resourceName, const QString &folder, QObject *parent)
    : QObject(parent)
{
    OpenWordList(resourceName, folder);
}

TDictn::TDictn(const QString &listFile, QObject *parent)
    : QObject(parent)
    , fileName_(listFile)
{
    if (!file_.open(listFile))
        showNotFound();
    lastRecord_ = file_.recordCount() - 1;
}

TDictn::~TDictn()
{
    // Unmapped before the file it maps is removed.
    file_.close();
}

void TDictn::OpenWordList(const QString &resourceName, const QString &folder)
{
    QFile resource(resourceName);
    // Without the resource nothing is written, and the list is missing.
    if (!resource.open(QIODevice::ReadOnly)) {
        showNotFound();
        return;
    }
    RuntimeFile::removeStale(kFileBase, folder);
    try {
        written_ = std::make_unique<RuntimeFile>(kFileBase, folder);
        writeAll(written_->descriptor(), written_->path(), resource);
    } catch (const Error &error) {
        written_.reset();
        throw Error(QStringLiteral("The word list could not be written. %1").arg(error.message()));
    }
    fileName_ = written_->path();
    // The list is read through the very file written, never reopened by name.
    if (!file_.adopt(::fcntl(written_->descriptor(), F_DUPFD_CLOEXEC, 0), fileName_))
        showNotFound();
    lastRecord_ = file_.recordCount() - 1;
}

void TDictn::showNotFound() const
{
    showMessage(QStringLiteral("English.dic dictionary not found!"));
}

template <typename Body> bool TDictn::readRecords(Body &&body) const
{
    if (file_.read(body))
        return true;
    // A record the file no longer holds reads short, which ends the reading
    // as if the list ended there; any other failure to read is an I/O error.
    if (file_.readableRecords() < file_.recordCount())
        return false;
    throw Error(QStringLiteral("I/O error reading %1").arg(fileName_));
}

qint64 TDictn::FindWord(const QString &word) const
{
    Key key;
    int length = 0;
    if (!normaliseKey(word, key, length) || !file_.isOpen())
        return -1;
    qint64 answer = -1;
    return readRecords([&] { answer = search(key.data()); }) ? answer : -1;
}

void TDictn::walkPrefix(const QString &prefix, Visitor visit, void *context) const
{
    Key key;
    int length = 0;
    if (!normaliseKey(prefix, key, length) || !file_.isOpen())
        return;
    qint64 next = 0;
    if (!readRecords([&] { next = firstWithPrefix(key.data(), length); }))
        return;

    // Words are copied out of the mapping a batch at a time, so a fault in the
    // file never cuts through the caller's code and nothing of the list beyond
    // one batch is held.
    constexpr int kBatch = 256;
    struct Batch {
        std::array<char, kBatch * kField> text;
        std::array<int, kBatch> sizes;
        std::array<qint64, kBatch> records;
        int count = 0;
    } batch;
    Key previous;
    bool havePrevious = false;
    bool ended = false;
    while (!ended) {
        batch.count = 0;
        const bool read = readRecords([&] {
            while (batch.count < kBatch) {
                if (next > lastRecord_) {
                    ended = true;
                    return;
                }
                Key word;
                std::memcpy(word.data(), file_.record(next) + 1, kField);
                for (unsigned char &c : word)
                    c = capital(c);
                if (std::memcmp(word.data(), key.data(), static_cast<std::size_t>(length)) != 0) {
                    ended = true;
                    return;
                }
                ++next;
                // Words cut to the field's width can stand several times in a row.
                if (havePrevious && word == previous)
                    continue;
                previous = word;
                havePrevious = true;
                int size = kField;
                while (size > 0 && word[size - 1] == ' ')
                    --size;
                std::memcpy(batch.text.data() + batch.count * kField, word.data(), kField);
                batch.records[batch.count] = next - 1;
                batch.sizes[batch.count++] = size;
            }
        });
        ended = ended || !read;
        for (int i = 0; i < batch.count; ++i)
            if (!visit(context, QByteArrayView(batch.text.data() + i * kField, batch.sizes[i]),
                       batch.records[i]))
                return;
    }
}

qint64 TDictn::firstWithPrefix(const unsigned char *key, int length) const
{
    qint64 low = 0;
    qint64 high = lastRecord_ + 1;
    while (low < high) {
        const qint64 mid = low + (high - low) / 2;
        if (compareRecord(file_.record(mid), key, length) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

qint64 TDictn::search(const unsigned char *key) const
{
    qint64 low = 0;
    qint64 high = lastRecord_;
    while (high >= low) {
        const qint64 mid = low + (high - low) / 2;
        const int order = compareRecord(file_.record(mid), key);
        if (order == 0)
            return firstOfEqual(mid, key);
        if (order < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return -1;
}

qint64 TDictn::firstOfEqual(qint64 match, const unsigned char *key) const
{
    qint64 first = match;
    while (first > 0 && compareRecord(file_.record(first - 1), key) == 0)
        --first;
    return first;
}
