#include "shell/automation.h"

#include "common/errors.h"
#include "common/guard.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr qsizetype kMaxLine = 64 * 1024;

QObject *findIn(QWidget *top, const QString &name)
{
    if (top->objectName() == name)
        return top;
    if (auto *widget = top->findChild<QWidget *>(name))
        return widget;
    return top->findChild<QAction *>(name);
}

// "window/name" looks only in the top-level window of that name; a bare name
// is looked for in the windows shown first, since several windows reuse names.
QObject *findNamed(const QString &name)
{
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    const QWidgetList tops = QApplication::topLevelWidgets();
    if (slash >= 0) {
        const QString window = name.left(slash);
        for (QWidget *top : tops) {
            if (top->objectName() == window)
                return findIn(top, name.mid(slash + 1));
        }
        return nullptr;
    }
    for (const bool shown : {true, false}) {
        for (QWidget *top : tops) {
            if (top->isVisible() != shown)
                continue;
            if (QObject *found = findIn(top, name))
                return found;
        }
    }
    return nullptr;
}

QString textOf(QObject *object)
{
    if (auto *w = qobject_cast<QLabel *>(object))
        return w->text();
    if (auto *w = qobject_cast<QLineEdit *>(object))
        return w->text();
    if (auto *w = qobject_cast<QAbstractButton *>(object))
        return w->text();
    if (auto *w = qobject_cast<QTextEdit *>(object))
        return w->toPlainText();
    if (auto *w = qobject_cast<QPlainTextEdit *>(object))
        return w->toPlainText();
    if (auto *w = qobject_cast<QComboBox *>(object))
        return w->currentText();
    if (auto *w = qobject_cast<QSpinBox *>(object))
        return QString::number(w->value());
    if (auto *w = qobject_cast<QListWidget *>(object)) {
        QStringList items;
        for (int row = 0; row < w->count(); ++row)
            items << w->item(row)->text();
        return items.join(QLatin1Char('\n'));
    }
    if (auto *a = qobject_cast<QAction *>(object))
        return a->text();
    if (auto *w = qobject_cast<QWidget *>(object))
        return w->windowTitle();
    return {};
}

QByteArray escaped(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r");
    return bytes;
}

void click(QWidget *widget)
{
    // A real click hands the keyboard to a control that takes it by click;
    // an event sent by hand does not.
    if (widget->focusPolicy() & Qt::ClickFocus)
        widget->setFocus(Qt::MouseFocusReason);
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

void sendKey(QWidget *widget, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

// Where the keys of a real keyboard go now: the widget with the focus, else
// the active window; null when another program has the keyboard.
QWidget *keyboardTarget()
{
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    return QApplication::activeWindow();
}

// Input runs after the answer went out: it may open a modal message box,
// whose own event loop must not hold back the answer. The input is handled
// before the next command line, which arrives later.
void later(QObject *target, std::function<void()> input)
{
    QTimer::singleShot(0, target, [input = std::move(input)] { guarded(input); });
}

int keyOfChar(QChar c)
{
    const QChar upper = c.toUpper();
    if ((upper >= QLatin1Char('A') && upper <= QLatin1Char('Z')) ||
        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char(' '))
        return upper.unicode();
    return 0;
}

QByteArray keyboardCommand(const QString &command, const QString &typed)
{
    if (command == QLatin1String("focus")) {
        const QWidget *window = QApplication::activeWindow();
        const QWidget *focus = QApplication::focusWidget();
        return "ok " + (window ? window->objectName().toUtf8() : QByteArray()) + '/' +
               (focus ? focus->objectName().toUtf8() : QByteArray());
    }
    const bool enter = command == QLatin1String("enter");
    // Each key goes where the keyboard is at that moment, as a player's do.
    QTimer::singleShot(0, qApp, [typed, enter] {
        guarded([&] {
            for (const QChar c : typed) {
                if (QWidget *target = keyboardTarget())
                    sendKey(target, keyOfChar(c), QString(c));
            }
            QWidget *target = keyboardTarget();
            if (enter && target)
                sendKey(target, Qt::Key_Return, QStringLiteral("\r"));
        });
    });
    return "ok";
}
} // namespace

std::unique_ptr<Automation> Automation::fromEnvironment()
{
    const QByteArray path = qgetenv("LEXICLASH_AUTOMATION");
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<Automation>(path);
}

Automation::Automation(const QByteArray &path)
    : path_(path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        throw Error(
            QStringLiteral("Automation path too long: %1").arg(QString::fromLocal8Bit(path)));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ::unlink(path.constData());
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 4) != 0)
        throw Error(
            QStringLiteral("Automation cannot listen on %1: %2")
                .arg(QString::fromLocal8Bit(path), QString::fromLocal8Bit(std::strerror(errno))));
    listenNotifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    connect(listenNotifier_.get(), &QSocketNotifier::activated, this,
            [this] { guarded([this] { acceptPeer(); }); });
}

Automation::~Automation()
{
    for (auto &entry : peers_)
        ::close(entry.first);
    listenNotifier_.reset();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(path_.constData());
    }
}

void Automation::acceptPeer()
{
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    Peer &peer = peers_[fd];
    peer.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(peer.notifier.get(), &QSocketNotifier::activated, this,
            [this, fd] { guarded([this, fd] { readPeer(fd); }); });
}

void Automation::readPeer(int fd)
{
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        dropPeer(fd);
        return;
    }
    if (n < 0)
        return;
    Peer &peer = peers_[fd];
    peer.pending.append(buffer, qsizetype(n));
    for (qsizetype end = peer.pending.indexOf('\n'); end >= 0; end = peer.pending.indexOf('\n')) {
        const QByteArray line = peer.pending.left(end);
        peer.pending.remove(0, end + 1);
        QByteArray answer;
        try {
            answer = execute(line);
        } catch (const Error &e) {
            answer = "error " + e.message().toUtf8();
        }
        answer.append('\n');
        // The answer is short; a test reads it before it sends the next line.
        if (::send(fd, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL) < 0) {
            dropPeer(fd);
            return;
        }
        // The command may have closed the program's windows or this peer.
        if (!peers_.count(fd))
            return;
    }
    if (peer.pending.size() > kMaxLine)
        dropPeer(fd);
}

void Automation::dropPeer(int fd)
{
    peers_.erase(fd);
    ::close(fd);
}

QByteArray Automation::execute(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    const QString command = text.section(QLatin1Char(' '), 0, 0);
    const QString name = text.section(QLatin1Char(' '), 1, 1);
    const QString argument = text.section(QLatin1Char(' '), 2);

    if (command == QLatin1String("messages") || command == QLatin1String("dismiss")) {
        QStringList texts;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(top);
            if (!box || !box->isVisible())
                continue;
            texts << box->text();
            if (command == QLatin1String("dismiss"))
                box->accept();
        }
        return "ok " + escaped(texts.join(QLatin1Char('\n')));
    }
    if (command == QLatin1String("close")) {
        auto *window =
            qobject_cast<QWidget *>(findNamed(name.isEmpty() ? QStringLiteral("chat") : name));
        if (!window)
            return "error no window " + name.toUtf8();
        later(window, [window] { window->close(); });
        return "ok";
    }
    if (command == QLatin1String("keyboard") || command == QLatin1String("enter") ||
        command == QLatin1String("focus"))
        return keyboardCommand(command, command == QLatin1String("keyboard")
                                            ? text.section(QLatin1Char(' '), 1)
                                            : QString());
    QObject *object = findNamed(name);
    if (!object)
        return "error no object " + name.toUtf8();
    auto *widget = qobject_cast<QWidget *>(object);
    auto *action = qobject_cast<QAction *>(object);

    if (command == QLatin1String("text"))
        return "ok " + escaped(textOf(object));
    if (command == QLatin1String("visible"))
        return widget ? (widget->isVisible() ? "ok 1" : "ok 0") : "error not a widget";
    if (command == QLatin1String("exposed")) {
        if (!widget)
            return "error not a widget";
        const QWindow *window = widget->window()->windowHandle();
        return window && window->isExposed() ? "ok 1" : "ok 0";
    }
    if (command == QLatin1String("enabled")) {
        const bool enabled = widget ? widget->isEnabled() : action->isEnabled();
        return enabled ? "ok 1" : "ok 0";
    }
    if (command == QLatin1String("checked")) {
        if (action)
            return action->isChecked() ? "ok 1" : "ok 0";
        auto *button = qobject_cast<QAbstractButton *>(object);
        if (!button)
            return "error not checkable";
        return button->isChecked() ? "ok 1" : "ok 0";
    }
    if (command == QLatin1String("trigger")) {
        if (!action)
            return "error not an action";
        later(action, [action] { action->trigger(); });
        return "ok";
    }
    if (!widget)
        return "error not a widget";
    if (command == QLatin1String("activate")) {
        later(widget, [widget] { widget->window()->activateWindow(); });
        return "ok";
    }
    if (command == QLatin1String("click")) {
        later(widget, [widget] { click(widget); });
        return "ok";
    }
    if (command == QLatin1String("type")) {
        later(widget, [widget, argument] {
            for (const QChar c : argument)
                sendKey(widget, keyOfChar(c), QString(c));
        });
        return "ok";
    }
    if (command == QLatin1String("key")) {
        const QKeySequence sequence = QKeySequence::fromString(argument);
        if (sequence.isEmpty())
            return "error unknown key " + argument.toUtf8();
        const int key = sequence[0].key();
        const QString typed = key == Qt::Key_Return || key == Qt::Key_Enter ? QStringLiteral("\r")
                              : key == Qt::Key_Escape                       ? QStringLiteral("\x1b")
                                                                            : QString();
        later(widget, [widget, key, typed] { sendKey(widget, key, typed); });
        return "ok";
    }
    return "error unknown command " + command.toUtf8();
}
