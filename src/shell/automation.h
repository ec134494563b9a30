#pragma once

#include <QByteArray>
#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;
class QWidget;

// Test hook: drives the program's windows from another process. Enabled only
// when LEXICLASH_AUTOMATION names a local socket path; the program then
// listens there and answers one line per command line:
//   click <name>          mouse press and release in the middle of a widget
//   type <name> <text>    one key press and release per character
//   key <name> <key>      one key by name (Return, Escape, Backspace, ...)
//   keyboard <text>       one key per character to whatever has the keyboard
//                         at that moment, as typed on a real keyboard
//   enter                 Return, the same way
//   focus                 "window/widget" of the active window and the
//                         widget with the keyboard ("window/" when none has it)
//   activate <name>       makes the widget's window active, as a click on it
//                         does with a window manager
//   text <name>           the widget's text (line breaks as "\n")
//   visible <name>        1 when the widget is shown, else 0
//   exposed <name>        1 when the widget's window is on the screen, else 0
//   enabled <name>        1 when the widget or action is enabled, else 0
//   checked <name>        1 when the button or action is checked, else 0
//   trigger <name>        triggers a menu action
//   close [name]          closes a window (the main window "chat" by default)
//   messages              the texts of the message boxes now shown
//   dismiss               closes the message boxes now shown with OK
// Widgets and actions are found by objectName across all top-level windows,
// the shown ones first; "window/name" names the top-level window to look in.
// Every input is a real Qt event delivered to the widget. Answers are
// "ok", "ok <text>" or "error <reason>".
class Automation : public QObject {
public:
    // The channel named by LEXICLASH_AUTOMATION, or null when it is unset.
    static std::unique_ptr<Automation> fromEnvironment();
    // Listens on the local socket path; raises Error when it cannot.
    explicit Automation(const QByteArray &path);
    ~Automation() override;

    // Runs one command line and returns its answer line (without "\n").
    QByteArray execute(const QByteArray &line);

private:
    struct Peer {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray pending;
    };

    void acceptPeer();
    void readPeer(int fd);
    void dropPeer(int fd);

    QByteArray path_;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::map<int, Peer> peers_;
};
