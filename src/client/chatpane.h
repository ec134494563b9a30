#pragma once

#include "net/messages.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextEdit;
class QTimer;
class GameIntents;
class GameModel;

// The chat pane of the main window: the read-only pane mainchat with its
// clickable web addresses, the entry field mychat, and the ten phrase buttons
// b_phrase1 to b_phrase10. Lines go out as intents of the session given to
// it; the dispatcher hands it the lines that arrive.
class ChatPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPhrases = 10;
    // The entry field's text until the first key press.
    static const QString kEnterChatHere;
    // How long the phrase buttons rest after one was used.
    static constexpr int kPhrasePauseMs = 1500;
    // Lines the pane keeps; older ones are dropped.
    static constexpr int kMaxLines = 5000;

    // Opens a colour chooser on a colour; nullopt when the user cancels.
    using ColourChooser =
        std::function<std::optional<QColor>(const QColor &initial, const QString &title)>;

    // model: whether and on which seat this copy is logged in, for sending.
    explicit ChatPane(const GameModel &model, QWidget *parent = nullptr);

    // Where the pane's chat, action and phrase lines go (the client session).
    void setIntents(GameIntents *intents);
    // Replaces the colour chooser (QColorDialog by default).
    void setColourChooser(ColourChooser chooser);
    // The "Scroll Chat Off" item of the main menu, kept in step with the pane's own.
    void setOptionsScrollItem(QAction *item);

    // Sends the entry field's text as a chat line or a "/me" action.
    void sendit();
    // The entry field's key handling; returns true when the key was consumed.
    bool mychatKeyDown(QKeyEvent *event);
    // Sends the phrase of button n (1 to 10) unless the buttons are resting.
    void b_phrase1Click(int n);
    // Ends the phrase buttons' rest.
    void phrasepauseTimer();
    // "CMD_chat" and "CMD_action" from the server: the line in the sender's
    // colour (red when missing or unreadable).
    void chatrecieved(const Msg::RelayedLine &relayed);
    // Writes one line into the pane: the head up to its first ":" bold, the
    // rest plain, both in colour (an invalid colour is the pane's text colour).
    void addlinetochat(const QString &text, const QColor &colour);

    // Menu and pop-up handlers.
    void TextColor1Click();
    void ActionColor1Click();
    // "Text Size": the pane's font size in points; the settings are saved.
    void N14Click(int size);
    void ScrollChatOff1Click();
    void ClearMainChat1Click();
    void Copy1Click();
    void Paste1Click();

    // Pane mouse handlers, positions in the pane's viewport.
    void mainchatMouseMove(const QPoint &pos);
    // Opens the web address under pos on a left click; true when one was opened.
    bool mainchatMouseDown(const QPoint &pos, Qt::MouseButton button);
    void mainchatMouseUp();
    // The document position of the character under pos, or -1 past the text.
    int characterAt(const QPoint &pos) const;

    bool phraseReady() const { return phraseready_; }
    void setPhraseReady(bool ready);
    // The phrase of button n (its tooltip).
    QString phrase(int n) const;
    void setPhrase(int n, const QString &text);
    QColor textColour() const { return textcolour_; }
    // Also gives the entry field this text colour.
    void setTextColour(const QColor &colour);
    QColor actionColour() const { return actioncolour_; }
    void setActionColour(const QColor &colour);
    int textSize() const;
    // Sets the pane's font size without saving (for loading the settings).
    void setTextSize(int size);
    bool scrollChatOff() const;

    QTextEdit *mainchat = nullptr;
    QLineEdit *mychat = nullptr;
    std::array<QPushButton *, kPhrases> b_phrase{};
    QMenu *popup_mainchat = nullptr;
    QMenu *popup_mychat = nullptr;
    QAction *Copy1 = nullptr;
    QAction *ScrollChatOff2 = nullptr;
    QAction *ClearMainChat2 = nullptr;
    QAction *Paste1 = nullptr;
    QTimer *phrasetimer = nullptr;

signals:
    // An option stored in the settings file changed.
    void settingsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPopups();

    const GameModel &model_;
    GameIntents *intents_ = nullptr;
    ColourChooser chooser_;
    QAction *optionsScroll_ = nullptr;
    QColor textcolour_ = Qt::black;
    QColor actioncolour_ = Qt::black;
    bool phraseready_ = true;
};
