// The settings file reader on arbitrary file contents: ProfileFile must read
// any file without crashing, answer the game's keys, and after a write and a
// flush read back exactly what was written while keeping the other lines.
//
// Input: the bytes of "quillmarklobby.ini"; its first byte also picks which of
// the game's keys is rewritten.

#include "settings/profilefile.h"

#include "common/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {
// Kept until the process ends: Qt's own statics are gone before static
// destructors would run.
QCoreApplication *app = nullptr;
std::unique_ptr<QTemporaryDir> folder;

const char *const kKeys[] = {"Top",         "Left",        "Width",     "Height",
                             "Turnsound",   "Textsize",    "Textcolor", "Actioncolor",
                             "Playtoscore", "Timeperturn", "Gametype",  "Botspeed",
                             "Botspeed2",   "Phrase1",     "Phrase10",  "Playsounds"};

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_profile";
    static char *argv[] = {name, nullptr};
    qInstallMessageHandler(quietMessages);
    app = new QCoreApplication(argc, argv);
    folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = folder->filePath(QStringLiteral("quillmarklobby.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const QString section = QStringLiteral("Lexiclash");
    ProfileFile profile(path);
    for (const char *key : kKeys) {
        const QString name = QString::fromLatin1(key);
        const QString value = profile.readString(section, name, QStringLiteral("fallback"));
        if (!profile.hasKey(section, name) && value != QStringLiteral("fallback"))
            std::abort();
    }

    const QString key = QString::fromLatin1(kKeys[size > 0 ? data[0] % std::size(kKeys) : 0]);
    const QString value = QStringLiteral("Lexiclash value 42");
    profile.writeString(section, key, value);
    try {
        profile.flush();
    } catch (const Error &) {
        return 0;
    }
    ProfileFile reread(path);
    if (reread.readString(section, key) != value)
        std::abort();
    if (reread.readString(section.toUpper(), key.toLower()) != value)
        std::abort();
    return 0;
}
