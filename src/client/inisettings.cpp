#include "client/inisettings.h"

#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/clientstate.h"
#include "common/intconv.h"
#include "common/paths.h"
#include "dialogs/tgamestart.h"
#include "settings/profilefile.h"
#include "widgets/colourpalette.h"
#include "widgets/gameupdown.h"
#include "widgets/tag.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QWidget>

#include <optional>

const QString IniSettings::kFileName = QStringLiteral("quillmarklobby.ini");

namespace {

// Font sizes outside this range are not a choice anybody made; they fall
// back to the default like any other unreadable value.
constexpr int kSmallestTextSize = 1;
constexpr int kLargestTextSize = 96;
constexpr int kHighestGameType = 6;

int readInteger(const ProfileFile &file, const QString &section, const QString &key, int fallback)
{
    int value = fallback;
    tryStrToInt(file.readString(section, key).toUtf8(), value);
    return value;
}

// The key's value as an integer, or nothing when it is empty or no number.
std::optional<int> readNumber(const ProfileFile &file, const QString &section, const QString &key,
                              const QString &fallback)
{
    int value = 0;
    if (!tryStrToInt(file.readString(section, key, fallback).toUtf8(), value))
        return std::nullopt;
    return value;
}

QColor readColour(const ProfileFile &file, const QString &section, const QString &key)
{
    return textToQColor(file.readString(section, key, QStringLiteral("clblack")))
        .value_or(QColor(Qt::black));
}

// Ticks the "Text Size" item of that size; a size without an item leaves
// every item unticked.
void tickTextSize(ChatMenus &menus, int size)
{
    if (QAction *item = menus.optionItem(menus.TextSize1, size)) {
        menus.selectOption(item);
        return;
    }
    for (QAction *item : menus.TextSize1->menu()->actions())
        item->setChecked(false);
}

} // namespace

IniSettings::IniSettings(const Parts &parts, ClientState &state)
    : parts_(parts)
    , state_(state)
{
}

QString IniSettings::filePath()
{
    return QDir(dataFolder()).filePath(kFileName);
}

void IniSettings::load()
{
    const ProfileFile file(filePath());
    const QString &section = state_.sectionname;
    ChatMenus &menus = *parts_.menus;
    ChatPane &chat = *parts_.chat;

    state_.storedtop = readInteger(file, section, QStringLiteral("Top"), 3);
    state_.storedleft = readInteger(file, section, QStringLiteral("Left"), 3);
    state_.storedwidth = readInteger(file, section, QStringLiteral("Width"), state_.defaultwidth);
    state_.storedheight =
        readInteger(file, section, QStringLiteral("Height"), state_.defaultheight);
    parts_.window->move(state_.storedleft, state_.storedtop);
    parts_.window->resize(state_.storedwidth, state_.storedheight);

    const bool newTurnSound = file.readString(section, QStringLiteral("Turnsound"),
                                              QStringLiteral("0")) == QLatin1String("1");
    menus.selectOption(newTurnSound ? menus.New1 : menus.Classic1);

    int size = readInteger(file, section, QStringLiteral("Textsize"), 8);
    if (size < kSmallestTextSize || size > kLargestTextSize)
        size = 8;
    chat.setTextSize(size);
    tickTextSize(menus, size);
    chat.setTextColour(readColour(file, section, QStringLiteral("Textcolor")));
    chat.setActionColour(readColour(file, section, QStringLiteral("Actioncolor")));

    if (Tgamestart *gamestart = parts_.gamestart) {
        // An empty or unreadable number leaves the window's own choice.
        if (const auto rounds = readNumber(file, section, QStringLiteral("Playtoscore"), "5"))
            gamestart->UpDown1->setPosition(*rounds);
        if (const auto seconds = readNumber(file, section, QStringLiteral("Timeperturn"), "60"))
            gamestart->UpDown2->setPosition(*seconds);
        // An empty value, or one that names no option, is the default "Random".
        int type = readNumber(file, section, QStringLiteral("Gametype"), "6").value_or(-1);
        if (type < 0 || type > kHighestGameType)
            type = kHighestGameType;
        gamestart->checkimage(QStringLiteral("image_letters") + QString::number(type));
    }

    const QString pause = file.readString(section, QStringLiteral("Botspeed"));
    menus.selectOption(pause == QLatin1String("17")   ? menus.Long1
                       : pause == QLatin1String("10") ? menus.Quick1
                                                      : menus.Normal1);
    const QString bot = file.readString(section, QStringLiteral("Botspeed2"));
    menus.selectOption(bot == QLatin1String("2000")  ? menus.Slow1
                       : bot == QLatin1String("750") ? menus.Fast1
                                                     : menus.Normal2);

    for (int n = 1; n <= ChatPane::kPhrases; ++n) {
        const QString phrase = file.readString(section, QStringLiteral("Phrase%1").arg(n));
        if (!phrase.isEmpty())
            chat.setPhrase(n, phrase);
    }

    menus.PlaySounds1->setChecked(file.readString(section, QStringLiteral("Playsounds")) !=
                                  QLatin1String("false"));
}

void IniSettings::save()
{
    ProfileFile file(filePath());
    const QString &section = state_.sectionname;
    const ChatMenus &menus = *parts_.menus;
    const ChatPane &chat = *parts_.chat;
    auto write = [&](const char *key, const QString &value) {
        file.writeString(section, QLatin1String(key), value);
    };
    auto writeNumber = [&](const char *key, int value) { write(key, QString::number(value)); };

    writeNumber("Top", parts_.window->y());
    writeNumber("Left", parts_.window->x());
    writeNumber("Width", parts_.window->width());
    writeNumber("Height", parts_.window->height());
    writeNumber("Turnsound", tagOf(menus.TurnSound1));
    writeNumber("Textsize", chat.textSize());
    write("Textcolor", colourToText(chat.textColour()));
    write("Actioncolor", colourToText(chat.actionColour()));
    if (const Tgamestart *gamestart = parts_.gamestart) {
        writeNumber("Playtoscore", gamestart->UpDown1->position());
        writeNumber("Timeperturn", gamestart->UpDown2->position());
        writeNumber("Gametype", gamestart->gametype());
    }
    writeNumber("Botspeed", tagOf(menus.BotSpeed1));
    writeNumber("Botspeed2", tagOf(menus.BotSpeed2));
    write("Playsounds",
          menus.PlaySounds1->isChecked() ? QStringLiteral("true") : QStringLiteral("false"));
    // One replacement of the file for all keys: a failure leaves the old file
    // whole and is reported for the first key, which is where the save stopped.
    file.flush();
}

void IniSettings::savePhrases(const QString &section, const QStringList &phrases)
{
    ProfileFile file(filePath());
    for (int n = 1; n <= phrases.size(); ++n)
        file.writeString(section, QStringLiteral("Phrase%1").arg(n), phrases.at(n - 1));
    file.flush();
}
