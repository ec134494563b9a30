// The settings file on arbitrary file contents, read twice over:
// - ProfileFile must read any file without crashing, answer the game's keys,
//   and after a write and a flush read back exactly what was written while
//   keeping the other lines;
// - the main window's loadinifile must interpret every value it reads (numbers,
//   colours, menu choices, the game start window's choices) into options
//   within their ranges, and what saveinifile writes from them must load back
//   to the same options: a second load and save writes the same file again.
//
// Input: the bytes of "quillmarklobby.ini"; its first byte also picks which of
// the game's keys is rewritten.

#include "client/chatpane.h"
#include "client/tchat.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "dialogs/tgamestart.h"
#include "settings/gamesettings.h"
#include "settings/profilefile.h"
#include "shell/windowwiring.h"
#include "widgets/gameupdown.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {
// Kept until the process ends: Qt's own statics are gone before static
// destructors would run.
QApplication *app = nullptr;
std::unique_ptr<QTemporaryDir> folder;

const char *const kKeys[] = {"Top",         "Left",        "Width",     "Height",
                             "Turnsound",   "Textsize",    "Textcolor", "Actioncolor",
                             "Playtoscore", "Timeperturn", "Gametype",  "Botspeed",
                             "Botspeed2",   "Phrase1",     "Phrase10",  "Playsounds"};

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

void writeFile(const QString &path, const uint8_t *data, size_t size)
{
    if (!writeWholeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();
}

QByteArray readFile(const QString &path)
{
    std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        std::abort();
    return *bytes;
}

// ProfileFile alone: every key answers, and a written key reads back.
void checkProfileFile(const QString &path, const uint8_t *data, size_t size)
{
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
        return;
    }
    ProfileFile reread(path);
    if (reread.readString(section, key) != value)
        std::abort();
    if (reread.readString(section.toUpper(), key.toLower()) != value)
        std::abort();
}

// The main window's reading of the file: options in range, and a load of
// what was saved saves the same file again.
void checkInterpretation(const QString &path, const uint8_t *data, size_t size)
{
    writeFile(path, data, size);
    Tgamestart gamestart;
    Tchat window;
    WindowSet windows;
    windows.gamestart = &gamestart;
    wireWindows(window, windows);
    bool saved = true;
    guarded([&] {
        saved = false;
        window.loadinifile();
        window.saveinifile();
        saved = true;
    });
    if (!saved)
        return;
    const int textSize = window.chat->textSize();
    if (textSize < 1 || textSize > 96)
        std::abort();
    const int rounds = gamestart.UpDown1->position();
    const int seconds = gamestart.UpDown2->position();
    if (rounds < 1 || rounds > 10 || seconds < 30 || seconds > 120)
        std::abort();
    const QByteArray first = readFile(path);
    guarded([&] {
        saved = false;
        window.loadinifile();
        window.saveinifile();
        saved = true;
    });
    if (saved && readFile(path) != first)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_profile";
    static char *argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietMessages);
    folder = std::make_unique<QTemporaryDir>();
    ::setenv("LEXICLASH_HOME", qPrintable(folder->path()), 1);
    app = new QApplication(argc, argv);
    setErrorHandler([](const QString &) {});
    setMessageBoxHandler([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = settingsFilePath();
    writeFile(path, data, size);
    checkProfileFile(path, data, size);
    checkInterpretation(path, data, size);
    return 0;
}
