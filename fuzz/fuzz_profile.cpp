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
#include "dialogs/tgamestart.h"
#include "settings/gamesettings.h"
#include "settings/profilefile.h"
#include "shell/windowwiring.h"
#include "widgets/gameupdown.h"
#include "windowfuzzing.h"

#include <cstdlib>
#include <optional>

namespace {
const char *const kKeys[] = {"Top",         "Left",        "Width",     "Height",
                             "Turnsound",   "Textsize",    "Textcolor", "Actioncolor",
                             "Playtoscore", "Timeperturn", "Gametype",  "Botspeed",
                             "Botspeed2",   "Phrase1",     "Phrase10",  "Playsounds"};

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

GameSettings writeAndRead(ProfileFile &file, const GameSettings &settings)
{
    const QString section = QStringLiteral("Lexiclash");
    writeGameSettings(file, section, settings);
    writePhrases(file, section, settings.phrases);
    return readGameSettings(file, section, 790, 525);
}

// The settings as the core reads them, without windows: every option within
// its range, and once written, they read back as they were written.
void checkReading(const QString &path)
{
    const QString section = QStringLiteral("Lexiclash");
    const GameSettings read = readGameSettings(ProfileFile(path), section, 790, 525);
    const GameStartSettings start = read.start.value_or(GameStartSettings());
    if (read.textSize < 1 || read.textSize > 96 || start.gametype < 0 || start.gametype > 6)
        std::abort();
    if (read.pauseBetweenRounds != 17 && read.pauseBetweenRounds != 12 &&
        read.pauseBetweenRounds != 10)
        std::abort();
    if (read.botInterval != 2000 && read.botInterval != 1200 && read.botInterval != 750)
        std::abort();
    if (read.phrases.size() != kPhraseCount)
        std::abort();
    // Writing turns line breaks inside a value into blanks; after that one
    // change, what is written reads back the same.
    ProfileFile copy(path);
    const GameSettings saved = writeAndRead(copy, read);
    if (writeAndRead(copy, saved) != saved)
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
    startWindowFuzzing("fuzz_profile");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = settingsFilePath();
    writeFile(path, data, size);
    checkProfileFile(path, data, size);
    writeFile(path, data, size);
    checkReading(path);
    checkInterpretation(path, data, size);
    return 0;
}
