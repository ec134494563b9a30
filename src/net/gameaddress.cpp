#include "net/gameaddress.h"

#include "net/invitelink.h"

namespace {

GameAddressReading failed(const QString &error)
{
    GameAddressReading reading;
    reading.error = error;
    return reading;
}

QString noAddressText()
{
    return QStringLiteral("Type the address of the game: a computer's name or its numbers, like "
                          "192.168.1.20.");
}

// A decimal port from 1 to 65535, or 0.
quint16 portNumber(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const uint number = text.toUInt(&ok);
    return ok && number <= 65535 ? quint16(number) : 0;
}

QString notAPortText(const QString &port)
{
    return QStringLiteral("\"%1\" is not a port. Write it as address:port, for example "
                          "192.168.1.20:7772.")
        .arg(port);
}

bool usableHost(const QString &host)
{
    for (const QChar c : host) {
        if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('[') || c == QLatin1Char(']'))
            return false;
    }
    return !host.isEmpty();
}

} // namespace

GameAddressReading readGameAddress(const QString &typed, quint16 defaultPort)
{
    if (looksLikeInviteLink(typed))
        return readInviteLink(typed, defaultPort);
    return readHostAndPort(typed, defaultPort);
}

GameAddressReading readHostAndPort(const QString &typed, quint16 defaultPort)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return failed(noAddressText());
    QString host = text;
    QString portText;
    bool hasPort = false;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return failed(QStringLiteral("\"%1\" has a \"[\" without its \"]\". Write an IPv6 "
                                         "address as [2001:db8::20]:7772.")
                              .arg(text));
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return failed(notAPortText(rest));
        hasPort = !rest.isEmpty();
        portText = rest.mid(1);
        if (!host.contains(QLatin1Char(':')))
            return failed(QStringLiteral("\"%1\" is not an IPv6 address; only IPv6 addresses go "
                                         "in brackets.")
                              .arg(host));
    } else if (text.count(QLatin1Char(':')) == 1) {
        // Two colons or more make a bare IPv6 address, whose last part is
        // never taken for a port.
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        host = text.left(colon);
        portText = text.mid(colon + 1);
        hasPort = true;
    }
    if (!usableHost(host))
        return failed(noAddressText());
    GameAddressReading reading;
    reading.address.host = host;
    reading.address.port = defaultPort;
    if (hasPort) {
        reading.address.port = portNumber(portText);
        if (reading.address.port == 0)
            return failed(notAPortText(portText));
    }
    return reading;
}

QString gameAddressText(const GameAddress &address)
{
    const QString host = address.host.contains(QLatin1Char(':'))
                             ? QStringLiteral("[%1]").arg(address.host)
                             : address.host;
    return QStringLiteral("%1:%2").arg(host).arg(address.port);
}
