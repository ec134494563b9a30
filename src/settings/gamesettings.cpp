#include "settings/gamesettings.h"

#include "common/intconv.h"
#include "common/paths.h"
#include "settings/profilefile.h"

#include <QDir>

namespace {

// Font sizes outside this range are not a choice anybody made; they fall
// back to the default like any other unreadable value.
constexpr int kSmallestTextSize = 1;
constexpr int kLargestTextSize = 96;
constexpr int kDefaultTextSize = 8;
constexpr int kHighestGameType = 6;

// The key's value as an integer; fallback when it is missing, empty or no number.
int readInteger(const ProfileFile &file, const QString &section, const QString &key, int fallback)
{
    int value = fallback;
    tryStrToInt(file.readString(section, key).toUtf8(), value);
    return value;
}

// The key's value as an integer (fallback standing in for a missing key), or
// nothing when it is empty or no number.
std::optional<int> readNumber(const ProfileFile &file, const QString &section, const QString &key,
                              const QString &fallback)
{
    int value = 0;
    if (!tryStrToInt(file.readString(section, key, fallback).toUtf8(), value))
        return std::nullopt;
    return value;
}

ColourValue readColour(const ProfileFile &file, const QString &section, const QString &key)
{
    return textToColour(file.readString(section, key, QStringLiteral("clblack")))
        .value_or(ColourValue::rgb(0, 0, 0));
}

GameStartSettings readGameStart(const ProfileFile &file, const QString &section)
{
    GameStartSettings start;
    start.rounds = readNumber(file, section, QStringLiteral("Playtoscore"), QStringLiteral("5"));
    start.seconds = readNumber(file, section, QStringLiteral("Timeperturn"), QStringLiteral("60"));
    // An empty value, or one that names no game type, is the default "Random".
    const int type =
        readNumber(file, section, QStringLiteral("Gametype"), QStringLiteral("6")).value_or(-1);
    start.gametype = type < 0 || type > kHighestGameType ? kHighestGameType : type;
    return start;
}

// The option of the "Time Between Rounds" menu the value names; Normal otherwise.
int pauseOf(const QString &value)
{
    if (value == QLatin1String("17"))
        return 17;
    if (value == QLatin1String("10"))
        return 10;
    return 12;
}

// The option of the "Bot Speed" menu the value names; Normal otherwise.
int botIntervalOf(const QString &value)
{
    if (value == QLatin1String("2000"))
        return 2000;
    if (value == QLatin1String("750"))
        return 750;
    return 1200;
}

QString phraseKey(int n)
{
    return QStringLiteral("Phrase%1").arg(n);
}

} // namespace

QString settingsFilePath()
{
    return QDir(dataFolder()).filePath(QLatin1String(kSettingsFileName));
}

GameSettings readGameSettings(const ProfileFile &file, const QString &section, int defaultWidth,
                              int defaultHeight)
{
    GameSettings settings;
    settings.top = readInteger(file, section, QStringLiteral("Top"), 3);
    settings.left = readInteger(file, section, QStringLiteral("Left"), 3);
    settings.width = readInteger(file, section, QStringLiteral("Width"), defaultWidth);
    settings.height = readInteger(file, section, QStringLiteral("Height"), defaultHeight);
    settings.newTurnSound = file.readString(section, QStringLiteral("Turnsound"),
                                            QStringLiteral("0")) == QLatin1String("1");

    const int size = readInteger(file, section, QStringLiteral("Textsize"), kDefaultTextSize);
    settings.textSize =
        size < kSmallestTextSize || size > kLargestTextSize ? kDefaultTextSize : size;
    settings.textColour = readColour(file, section, QStringLiteral("Textcolor"));
    settings.actionColour = readColour(file, section, QStringLiteral("Actioncolor"));

    settings.start = readGameStart(file, section);
    settings.pauseBetweenRounds = pauseOf(file.readString(section, QStringLiteral("Botspeed")));
    settings.botInterval = botIntervalOf(file.readString(section, QStringLiteral("Botspeed2")));

    for (int n = 1; n <= kPhraseCount; ++n)
        settings.phrases[n - 1] = file.readString(section, phraseKey(n));

    settings.playSounds =
        file.readString(section, QStringLiteral("Playsounds")) != QLatin1String("false");
    return settings;
}

void writeGameSettings(ProfileFile &file, const QString &section, const GameSettings &settings)
{
    auto write = [&](const char *key, const QString &value) {
        file.writeString(section, QLatin1String(key), value);
    };
    auto writeNumber = [&](const char *key, int value) { write(key, QString::number(value)); };

    writeNumber("Top", settings.top);
    writeNumber("Left", settings.left);
    writeNumber("Width", settings.width);
    writeNumber("Height", settings.height);
    writeNumber("Turnsound", settings.newTurnSound ? 1 : 0);
    writeNumber("Textsize", settings.textSize);
    write("Textcolor", colourToText(settings.textColour));
    write("Actioncolor", colourToText(settings.actionColour));
    if (const auto &start = settings.start) {
        if (start->rounds)
            writeNumber("Playtoscore", *start->rounds);
        if (start->seconds)
            writeNumber("Timeperturn", *start->seconds);
        writeNumber("Gametype", start->gametype);
    }
    writeNumber("Botspeed", settings.pauseBetweenRounds);
    writeNumber("Botspeed2", settings.botInterval);
    write("Playsounds", settings.playSounds ? QStringLiteral("true") : QStringLiteral("false"));
}

void writePhrases(ProfileFile &file, const QString &section, const QStringList &phrases)
{
    for (int n = 1; n <= phrases.size(); ++n)
        file.writeString(section, phraseKey(n), phrases.at(n - 1));
}
