#include "net/invitelink.h"

namespace {

QString schemePrefix()
{
    return QString::fromLatin1(kInviteScheme) + QStringLiteral("://");
}

GameAddressReading badLink(const QString &link, const QString &why)
{
    GameAddressReading reading;
    reading.error = QStringLiteral("The invite link \"%1\" cannot be used: %2").arg(link, why);
    return reading;
}

} // namespace

QString inviteLink(const GameAddress &address)
{
    return schemePrefix() + gameAddressText(address);
}

bool looksLikeInviteLink(const QString &text)
{
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QString::fromLatin1(kInviteScheme) + QLatin1Char(':'),
                              Qt::CaseInsensitive) ||
           trimmed.contains(QStringLiteral("://"));
}

GameAddressReading readInviteLink(const QString &link, quint16 defaultPort)
{
    const QString text = link.trimmed();
    if (!text.startsWith(schemePrefix(), Qt::CaseInsensitive))
        return badLink(text, QStringLiteral("it must start with lexiclash:// and then the "
                                            "address and port, like "
                                            "lexiclash://192.168.1.20:7772."));
    QString rest = text.mid(schemePrefix().size());
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    if (rest.isEmpty())
        return badLink(text, QStringLiteral("it has no address after lexiclash://."));
    for (const QChar c : rest) {
        if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('?') ||
            c == QLatin1Char('#') || c == QLatin1Char('@'))
            return badLink(text, QStringLiteral("after lexiclash:// it may hold only the "
                                                "address and port."));
    }
    if (!rest.startsWith(QLatin1Char('[')) && rest.count(QLatin1Char(':')) > 1)
        return badLink(text, QStringLiteral("an IPv6 address in a link goes in brackets, like "
                                            "lexiclash://[2001:db8::20]:7772."));
    GameAddressReading reading = readHostAndPort(rest, defaultPort);
    if (!reading.ok())
        return badLink(text, reading.error);
    return reading;
}
