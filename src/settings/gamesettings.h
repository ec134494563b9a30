#pragma once

#include "settings/colourtext.h"

#include <QString>
#include <QStringList>

#include <optional>

class ProfileFile;

// The main window's keys of the settings file: which key holds which option,
// their defaults and the fallbacks for values that cannot be read. The values
// are the options themselves; the windows show and change them.

// The settings file's name, in dataFolder() (common/paths.h).
inline constexpr char kSettingsFileName[] = "quillmarklobby.ini";
// The number of chat phrases, keys "Phrase1" to "Phrase10".
inline constexpr int kPhraseCount = 10;

// The game start window's choices.
struct GameStartSettings {
    // Key "Playtoscore": a missing key gives 5; an empty or unreadable value
    // gives nothing, and the window keeps its own choice.
    std::optional<int> rounds = 5;
    // Key "Timeperturn": a missing key gives 60; empty or unreadable, nothing.
    std::optional<int> seconds = 60;
    // Key "Gametype": 0..6; missing, empty, unreadable or out of range gives 6.
    int gametype = 6;
    bool operator==(const GameStartSettings &) const = default;
};

// The main window's options as the settings file holds them.
struct GameSettings {
    // Keys "Top" and "Left"; unreadable gives 3.
    int top = 3;
    int left = 3;
    // Keys "Width" and "Height"; unreadable gives the window's default size.
    int width = 0;
    int height = 0;
    // Key "Turnsound": "1" is the new turn sound, anything else the classic.
    bool newTurnSound = false;
    // Key "Textsize": 1..96; unreadable or out of range gives 8.
    int textSize = 8;
    // Keys "Textcolor" and "Actioncolor", colour text; missing or unreadable
    // gives black. System colours and no colour stay what they are here.
    ColourValue textColour = ColourValue::rgb(0, 0, 0);
    ColourValue actionColour = ColourValue::rgb(0, 0, 0);
    // Key "Botspeed", the seconds between rounds: 17, 12 or 10; any other
    // value gives 12.
    int pauseBetweenRounds = 12;
    // Key "Botspeed2", the computer player's interval in milliseconds: 2000,
    // 1200 or 750; any other value gives 1200.
    int botInterval = 1200;
    // Keys "Phrase1".."Phrase10", always ten entries; an empty entry is no
    // stored phrase (the phrase button keeps its own).
    QStringList phrases = QStringList(kPhraseCount, QString());
    // Key "Playsounds": only "false" turns the sounds off.
    bool playSounds = true;
    // The game start window's choices; always read, written only when present.
    std::optional<GameStartSettings> start;
    bool operator==(const GameSettings &) const = default;
};

// The settings file's full path, in the data folder.
QString settingsFilePath();

// The options in section of file; a missing file, key or unreadable value gives
// the key's default (width and height: defaultWidth and defaultHeight).
GameSettings readGameSettings(const ProfileFile &file, const QString &section, int defaultWidth,
                              int defaultHeight);

// Writes every key but the phrases into section, in the order Top, Left, Width,
// Height, Turnsound, Textsize, Textcolor, Actioncolor, [Playtoscore,
// Timeperturn, Gametype], Botspeed, Botspeed2, Playsounds; the game start keys
// only when settings.start is present, and the rounds and seconds only when
// they hold a value. Does not flush.
void writeGameSettings(ProfileFile &file, const QString &section, const GameSettings &settings);

// Writes "Phrase1".."PhraseN" for the N texts, empty texts included, into
// section. Does not flush.
void writePhrases(ProfileFile &file, const QString &section, const QStringList &phrases);
