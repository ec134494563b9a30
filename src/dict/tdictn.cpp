#include "dict/tdictn.h"

#include "common/errors.h"
#include "common/messagebox.h"
#include "common/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>

const QString TDictn::kDefaultResource = QStringLiteral(":/dict/TEXT_DEMO");
const QString TDictn::kDefaultFileName = QStringLiteral("English");

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
bool normaliseKey(const QString &word, Key &key)
{
    qsizetype begin = 0;
    qsizetype end = word.size();
    while (begin < end && isBlank(word[begin]))
        ++begin;
    while (end > begin && isBlank(word[end - 1]))
        --end;
    const qsizetype length = end - begin;
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

int compareRecord(const unsigned char *record, const unsigned char *key)
{
    for (int i = 0; i < kField; ++i) {
        const unsigned char c = capital(record[1 + i]);
        if (c != key[i])
            return c < key[i] ? -1 : 1;
    }
    return 0;
}

} // namespace

TDictn::TDictn(QObject *parent)
    : TDictn(kDefaultResource, kDefaultFileName, parent)
{
}

TDictn::TDictn(const QString &resourceName, const QString &fileName, QObject *parent)
    : QObject(parent)
    , resourceName_(resourceName)
    , fileName_(fileName)
{
    OpenWordList();
}

TDictn::~TDictn()
{
    file_.close();
    if (wroteFile_)
        QFile::remove(fileName_);
}

void TDictn::OpenWordList()
{
    if (!QFileInfo::exists(fileName_))
        placeWordList();
    const bool opened = file_.open(fileName_);
    lastRecord_ = file_.recordCount() - 1;
    if (!opened)
        showMessage(QStringLiteral("English.dic dictionary not found!"));
}

void TDictn::placeWordList()
{
    try {
        writeFromResource(fileName_);
        return;
    } catch (const Error &here) {
        // A working folder that cannot be written (a read-only medium, a
        // folder of another user) must not keep the game from starting.
        const QString standIn = scratchPath(QFileInfo(fileName_).fileName());
        try {
            writeFromResource(standIn);
        } catch (const Error &there) {
            throw Error(QStringLiteral("The word list could not be written. %1 %2")
                            .arg(here.message(), there.message()));
        }
        fileName_ = standIn;
    }
}

void TDictn::writeFromResource(const QString &fileName)
{
    QFile resource(resourceName_);
    if (!resource.open(QIODevice::ReadOnly))
        return;
    // Written beside the target and renamed over it, so a failed write never
    // leaves a half list that a later run would take for a complete one.
    QSaveFile out(fileName);
    const auto fail = [&] {
        return Error(QStringLiteral("Cannot create file %1. %2").arg(fileName, out.errorString()));
    };
    if (!out.open(QIODevice::WriteOnly))
        throw fail();
    while (!resource.atEnd()) {
        const QByteArray chunk = resource.read(1 << 16);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            throw fail();
    }
    if (!out.commit())
        throw fail();
    wroteFile_ = true;
}

qint64 TDictn::FindWord(const QString &word) const
{
    Key key;
    if (!normaliseKey(word, key) || !file_.isOpen())
        return -1;
    qint64 answer = -1;
    if (file_.read([&] { answer = search(key.data()); }))
        return answer;
    // A record the file no longer holds reads short, which ends the search
    // with "not found"; any other failure to read is an I/O error.
    if (file_.readableRecords() < file_.recordCount())
        return -1;
    throw Error(QStringLiteral("I/O error reading %1").arg(fileName_));
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
