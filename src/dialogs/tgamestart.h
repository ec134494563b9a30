#pragma once

#include "settings/gamestartoptions.h"

#include <QWidget>

#include <array>
#include <functional>

class GameCheckImage;
class GameIntents;
class GamePictureButton;
class GameUpDown;
class QLabel;
class QLineEdit;

// The game start window, where the host chooses the options of a new game
// and starts it: the number of rounds, the seconds per round, the game type
// (the word length rule) and whether found words are shown to everybody.
// It asks the client session to start the game and is then hidden; it keeps
// its choices, which the settings file stores.
class Tgamestart : public QWidget, public GameStartOptions {
    Q_OBJECT
public:
    static constexpr int kGameTypes = 7;

    // Hooks into the main window.
    struct Hooks {
        // Where the game start goes (the client session).
        GameIntents *intents = nullptr;
        // Writes the settings file, which stores this window's choices.
        std::function<void()> saveSettings;
    };

    explicit Tgamestart(QWidget *parent = nullptr);

    void setHooks(Hooks hooks);

    // Selects the game type option named "image_letters" followed by 0 to 6;
    // any other name selects "image_letters6" (Random), the stored default.
    void checkimage(const QString &name);
    // A click on a game type option: selects it unless it is already checked.
    void image_letters6Click(GameCheckImage *sender);
    // "Show Word List": flips its flag.
    void image_showClick();
    // The start image: asks for the game start, hides the window, saves the settings.
    void button_startClick();
    // Shows the window (not modal) centred on `window`.
    void showCentredOn(const QWidget *window);

    // GameStartOptions: the rounds, the seconds per round and the game type.
    void applyStartSettings(const GameStartSettings &settings) override;
    GameStartSettings startSettings() const override;

    // The selected game type, 0 to 6 (kept in the tag of imagelist_checks).
    int gametype() const { return gametype_; }
    // The game type option n (0 to 6); nullptr otherwise.
    GameCheckImage *letters(int n) const;

    QLineEdit *edit_playtoscore = nullptr;
    GameUpDown *UpDown1 = nullptr;
    QLineEdit *edit_creationtime = nullptr;
    GameUpDown *UpDown2 = nullptr;
    std::array<GameCheckImage *, kGameTypes> image_letters{};
    GameCheckImage *image_show = nullptr;
    GamePictureButton *Image1 = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *addText(const QString &text, int pointSize, bool bold);

    Hooks hooks_;
    int gametype_ = 0;
};
