#include "client/settingsbinding.h"

#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "settings/gamestartoptions.h"
#include "widgets/colourpalette.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {

// Ticks the item of the option menu that holds value, or fallback when no
// item does.
void selectValue(ChatMenus &menus, QAction *option, int value, QAction *fallback)
{
    QAction *item = menus.optionItem(option, value);
    menus.selectOption(item ? item : fallback);
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

SettingsBinding::SettingsBinding(const Parts &parts)
    : parts_(parts)
{
}

void SettingsBinding::apply(const GameSettings &settings) const
{
    ChatMenus &menus = *parts_.menus;
    ChatPane &chat = *parts_.chat;

    parts_.window->move(settings.left, settings.top);
    parts_.window->resize(settings.width, settings.height);
    menus.selectOption(settings.newTurnSound ? menus.New1 : menus.Classic1);
    chat.setTextSize(settings.textSize);
    tickTextSize(menus, settings.textSize);
    chat.setTextColour(toQColor(settings.textColour));
    chat.setActionColour(toQColor(settings.actionColour));
    if (parts_.gamestart && settings.start)
        parts_.gamestart->applyStartSettings(*settings.start);
    selectValue(menus, menus.BotSpeed1, settings.pauseBetweenRounds, menus.Normal1);
    selectValue(menus, menus.BotSpeed2, settings.botInterval, menus.Normal2);
    for (int n = 1; n <= settings.phrases.size() && n <= ChatPane::kPhrases; ++n) {
        const QString &phrase = settings.phrases.at(n - 1);
        if (!phrase.isEmpty())
            chat.setPhrase(n, phrase);
    }
    menus.PlaySounds1->setChecked(settings.playSounds);
}

GameSettings SettingsBinding::collect() const
{
    const ChatMenus &menus = *parts_.menus;
    const ChatPane &chat = *parts_.chat;

    GameSettings settings;
    settings.top = parts_.window->y();
    settings.left = parts_.window->x();
    settings.width = parts_.window->width();
    settings.height = parts_.window->height();
    settings.newTurnSound = menus.newTurnSound();
    settings.textSize = chat.textSize();
    settings.textColour = fromQColor(chat.textColour());
    settings.actionColour = fromQColor(chat.actionColour());
    if (parts_.gamestart)
        settings.start = parts_.gamestart->startSettings();
    settings.pauseBetweenRounds = menus.pauseBetweenRounds();
    settings.botInterval = menus.botInterval();
    settings.playSounds = menus.PlaySounds1->isChecked();
    return settings;
}
