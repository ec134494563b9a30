#pragma once

#include "net/gameaddress.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a hosting game tells its lobby about players on the internet, sent as
// one text line over the presence connection: the address players outside
// the local network join at (empty host while none is known) and the
// sentence the host is shown.
struct InternetReport {
    GameAddress outside;
    QString message;
};

// The line "internet<TAB>HOST<TAB>PORT<TAB>MESSAGE\n" in UTF-8; tabs and line
// breaks in the message become spaces.
QByteArray internetReportLine(const InternetReport &report);
// Reads one line without its line break; nothing for a line of another kind
// or a malformed one, which the lobby drops.
std::optional<InternetReport> readInternetReportLine(const QByteArray &line);
