#pragma once

#include <QObject>

#include <initializer_list>
#include <utility>

class QAction;
class QMenu;
class QMenuBar;

// The main window's menu bar: "File", "Options", "View" and "Help", every
// item named as the design names it. Option groups keep their value in the
// integer tag of the parent item ("BotSpeed1" holds the pause between rounds,
// "BotSpeed2" the computer player's interval).
class ChatMenus : public QObject {
    Q_OBJECT
public:
    explicit ChatMenus(QMenuBar *bar);

    // Ticks item alone in its group and copies its value into the parent's tag.
    void selectOption(QAction *item);
    // The item of a group whose value is value, or nullptr.
    QAction *optionItem(QAction *parent, int value) const;

    // The options the ticked items give: "Turn Sound" is "New", the seconds
    // of "Time Between Rounds", the milliseconds of "Bot Speed".
    bool newTurnSound() const;
    int pauseBetweenRounds() const;
    int botInterval() const;

    QAction *StartGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *TurnSound1 = nullptr;
    QAction *Classic1 = nullptr;
    QAction *New1 = nullptr;
    QAction *BotSpeed1 = nullptr;
    QAction *Long1 = nullptr;
    QAction *Normal1 = nullptr;
    QAction *Quick1 = nullptr;
    QAction *BotSpeed2 = nullptr;
    QAction *Slow1 = nullptr;
    QAction *Normal2 = nullptr;
    QAction *Fast1 = nullptr;
    QAction *TextColor1 = nullptr;
    QAction *ActionColor1 = nullptr;
    QAction *TextSize1 = nullptr;
    QAction *N8 = nullptr;
    QAction *N10 = nullptr;
    QAction *N12 = nullptr;
    QAction *N14 = nullptr;
    QAction *ScrollChatOff1 = nullptr;
    QAction *ClearMainChat1 = nullptr;
    QAction *ResetScreenLocation1 = nullptr;
    QAction *ViewTally1 = nullptr;
    QAction *SpyList1 = nullptr;
    QAction *PhraseList1 = nullptr;
    // Shows the last round's review again; enabled once a round has ended.
    QAction *LastReview1 = nullptr;
    QAction *Content1 = nullptr;
    QAction *About1 = nullptr;

signals:
    // "Play Sounds" or the choice of an option group changed (to be saved).
    void optionChanged();

private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption);
    // A submenu whose items each carry a value; the item at index chosen is ticked.
    QMenu *
    addGroup(QMenu *menu, const char *name, const QString &caption,
             std::initializer_list<std::pair<const char *, std::pair<const char *, int>>> items,
             int chosen, bool notify);
};
