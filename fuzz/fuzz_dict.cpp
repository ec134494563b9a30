// Dictionary queries on arbitrary text: TDictn::FindWord over the shipped word
// list must answer -1 or the number of a record, never read outside the list,
// and give the same answer for a word in small or capital letters.
//
// Input: byte 0 picks how the rest becomes a query (0 Latin-1, 1 UTF-8,
// 2 UTF-16 code units, 3 the Latin-1 text in small letters a to z).

#include "common/guard.h"
#include "common/messagebox.h"
#include "dict/tdictn.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {
// Kept until the process ends: Qt's own statics are gone before static
// destructors would run.
QCoreApplication *app = nullptr;
std::unique_ptr<QTemporaryDir> folder;
std::unique_ptr<TDictn> dictionary;

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// Only a to z change case in the game's comparisons.
QString asciiLower(QString text)
{
    for (QChar &c : text) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return text;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_dict";
    static char *argv[] = {name, nullptr};
    qInstallMessageHandler(quietMessages);
    app = new QCoreApplication(argc, argv);
    folder = std::make_unique<QTemporaryDir>();
    setMessageBoxHandler([](const QString &) {});
    dictionary = std::make_unique<TDictn>(TDictn::kDefaultResource, folder->path());
    if (!dictionary->isOpen() || dictionary->recordCount() <= 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    QString word;
    switch (data[0] % 4) {
    case 0:
        word = QString::fromLatin1(bytes, length);
        break;
    case 1:
        word = QString::fromUtf8(bytes, length);
        break;
    case 2:
        word = QString(reinterpret_cast<const QChar *>(bytes), length / 2);
        break;
    default:
        word = asciiLower(QString::fromLatin1(bytes, length));
        break;
    }
    const qint64 found = dictionary->FindWord(word);
    if (found < -1 || found >= dictionary->recordCount())
        std::abort();
    if (dictionary->FindWord(asciiLower(word)) != found)
        std::abort();
    if (dictionary->IsWord(word) != (found >= 0))
        std::abort();
    return 0;
}
