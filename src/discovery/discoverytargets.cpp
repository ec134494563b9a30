#include "discovery/discoverytargets.h"

#include <QNetworkInterface>

namespace discovery {

QList<Target> broadcastTargets(quint16 port)
{
    QList<Target> targets;
    const QString chosen = qEnvironmentVariable("LEXICLASH_DISCOVERY_TARGETS");
    if (!chosen.isEmpty()) {
        for (const QString &text : chosen.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QHostAddress address(text.trimmed());
            if (address.protocol() == QAbstractSocket::IPv4Protocol)
                targets.append({address, port});
        }
        return targets;
    }
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull())
                targets.append({entry.broadcast(), port});
        }
    }
    targets.append({kLoopbackBroadcast, port});
    return targets;
}

} // namespace discovery
