#include "client/chatmenus.h"

#include "common/guard.h"
#include "widgets/tag.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

ChatMenus::ChatMenus(QMenuBar *bar)
    : QObject(bar)
{
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    StartGame1 = addItem(file, "StartGame1", QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    Exit1 = addItem(file, "Exit1", QStringLiteral("Exit"));

    QMenu *options = bar->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("Options1"));
    PlaySounds1 = addItem(options, "PlaySounds1", QStringLiteral("Play Sounds"));
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    connect(PlaySounds1, &QAction::triggered, this, &ChatMenus::optionChanged);

    QMenu *turn = addGroup(options, "TurnSound1", QStringLiteral("Turn Sound"),
                           {{"Classic1", {"Classic", 0}}, {"New1", {"New", 1}}}, 0, true);
    TurnSound1 = turn->menuAction();
    QMenu *pause = addGroup(
        options, "BotSpeed1", QStringLiteral("Time Between Rounds"),
        {{"Long1", {"Long", 17}}, {"Normal1", {"Normal", 12}}, {"Quick1", {"Quick", 10}}}, 1, true);
    BotSpeed1 = pause->menuAction();
    QMenu *bot = addGroup(
        options, "BotSpeed2", QStringLiteral("Bot Speed"),
        {{"Slow1", {"Slow", 2000}}, {"Normal2", {"Normal", 1200}}, {"Fast1", {"Fast", 750}}}, 1,
        true);
    BotSpeed2 = bot->menuAction();

    options->addSeparator();
    TextColor1 = addItem(options, "TextColor1", QStringLiteral("Text Color"));
    ActionColor1 = addItem(options, "ActionColor1", QStringLiteral("Action Color"));
    // The chat pane applies the size; the group only keeps the tick.
    QMenu *size =
        addGroup(options, "TextSize1", QStringLiteral("Text Size"),
                 {{"N8", {"8", 8}}, {"N10", {"10", 10}}, {"N12", {"12", 12}}, {"N14", {"14", 14}}},
                 0, false);
    TextSize1 = size->menuAction();
    ScrollChatOff1 = addItem(options, "ScrollChatOff1", QStringLiteral("Scroll Chat Off"));
    ScrollChatOff1->setCheckable(true);
    ScrollChatOff1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    ClearMainChat1 = addItem(options, "ClearMainChat1", QStringLiteral("Clear Main Chat"));
    options->addSeparator();
    ResetScreenLocation1 =
        addItem(options, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"));

    QMenu *view = bar->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("View1"));
    ViewTally1 = addItem(view, "ViewTally1", QStringLiteral("View Tally"));
    SpyList1 = addItem(view, "SpyList1", QStringLiteral("Spy List"));
    PhraseList1 = addItem(view, "PhraseList1", QStringLiteral("Phrase List"));
    view->addSeparator();
    LastReview1 = addItem(view, "LastReview1", QStringLiteral("Last Round Review"));
    LastReview1->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    LastReview1->setEnabled(false);

    QMenu *help = bar->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    Content1 = addItem(help, "Content1", QStringLiteral("Content"));
    Content1->setShortcut(QKeySequence(Qt::Key_F1));
    About1 = addItem(help, "About1", QStringLiteral("About"));

    Classic1 = findChild<QAction *>(QStringLiteral("Classic1"));
    New1 = findChild<QAction *>(QStringLiteral("New1"));
    Long1 = findChild<QAction *>(QStringLiteral("Long1"));
    Normal1 = findChild<QAction *>(QStringLiteral("Normal1"));
    Quick1 = findChild<QAction *>(QStringLiteral("Quick1"));
    Slow1 = findChild<QAction *>(QStringLiteral("Slow1"));
    Normal2 = findChild<QAction *>(QStringLiteral("Normal2"));
    Fast1 = findChild<QAction *>(QStringLiteral("Fast1"));
    N8 = findChild<QAction *>(QStringLiteral("N8"));
    N10 = findChild<QAction *>(QStringLiteral("N10"));
    N12 = findChild<QAction *>(QStringLiteral("N12"));
    N14 = findChild<QAction *>(QStringLiteral("N14"));
}

QAction *ChatMenus::addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

QMenu *ChatMenus::addGroup(
    QMenu *menu, const char *name, const QString &caption,
    std::initializer_list<std::pair<const char *, std::pair<const char *, int>>> items, int chosen,
    bool notify)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(QLatin1String(name) + QStringLiteral("Menu"));
    sub->menuAction()->setObjectName(QLatin1String(name));
    // The actions live under this object so findChild reaches them by name.
    auto *group = new QActionGroup(this);
    group->setExclusive(true);
    int index = 0;
    for (const auto &[itemName, captionAndValue] : items) {
        auto *item = new QAction(QString::fromLatin1(captionAndValue.first), this);
        item->setObjectName(QLatin1String(itemName));
        item->setCheckable(true);
        setTag(item, captionAndValue.second);
        group->addAction(item);
        sub->addAction(item);
        if (index == chosen)
            selectOption(item);
        if (notify) {
            connect(item, &QAction::triggered, this, [this, item] {
                guarded([this, item] {
                    selectOption(item);
                    emit optionChanged();
                });
            });
        }
        ++index;
    }
    return sub;
}

void ChatMenus::selectOption(QAction *item)
{
    item->setChecked(true);
    QActionGroup *group = item->actionGroup();
    if (!group)
        return;
    for (QAction *other : group->actions())
        other->setChecked(other == item);
    // The parent item is the menu that holds the group.
    const auto menus = item->associatedObjects();
    for (QObject *object : menus) {
        if (auto *menu = qobject_cast<QMenu *>(object))
            setTag(menu->menuAction(), tagOf(item));
    }
}

QAction *ChatMenus::optionItem(QAction *parent, int value) const
{
    const QMenu *menu = parent->menu();
    if (!menu)
        return nullptr;
    for (QAction *item : menu->actions()) {
        if (tagOf(item) == value)
            return item;
    }
    return nullptr;
}

bool ChatMenus::newTurnSound() const
{
    return tagOf(TurnSound1) == tagOf(New1);
}

int ChatMenus::pauseBetweenRounds() const
{
    return tagOf(BotSpeed1);
}

int ChatMenus::botInterval() const
{
    return tagOf(BotSpeed2);
}
