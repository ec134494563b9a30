#include "net/sockcodes.h"

#include <cerrno>

namespace {

struct ErrorName {
    int code;
    const char *name;
};

constexpr ErrorName kErrorNames[] = {
    {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
    {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
    {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
    {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
    {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
    {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
    {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
    {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
    {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
    {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
    {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
    {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
};

struct ErrnoCode {
    int err;
    int code;
};

// Linux numbers its errno values differently from the BSD numbering that
// Windows Sockets codes follow, so every value is listed by name.
constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EPERM, 10013},
    {EFAULT, 10014},
    {EINVAL, 10022},
    {EMFILE, 10024},
    {ENFILE, 10024},
    {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, 10053},
    // Sending on a connection the peer has already dropped: Windows reports
    // the abort of the established connection.
    {EPIPE, 10053},
    {ECONNRESET, 10054},
    {ENOBUFS, 10055},
    {ENOMEM, 10055},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},
    {EUSERS, 10068},
    {EDQUOT, 10069},
    {ESTALE, 10070},
    {EREMOTE, 10071},
};

// The codes after which a connection never carries data again.
constexpr int kBrokenConnectionCodes[] = {
    10053, // WSAECONNABORTED
    10054, // WSAECONNRESET
    10060, // WSAETIMEDOUT
};

// QStringLiteral texts: a report on every read and send allocates nothing.
QString reportText(TSockReport report)
{
    switch (report) {
    case TSockReport::None:
        return QString();
    case TSockReport::LookupOfHost:
        return QStringLiteral("Lookup Of Host ");
    case TSockReport::LookupOfPort:
        return QStringLiteral("Lookup Of Port ");
    case TSockReport::HostNameWhileConnected:
        return QStringLiteral("Setting HostName While Connected Has No Effect");
    case TSockReport::PortNameWhileConnected:
        return QStringLiteral("Setting PortName While Connected Has No Effect");
    case TSockReport::NonBlockingConnected:
        return QStringLiteral("Non-Blocking Socket Connected");
    case TSockReport::BlockingConnected:
        return QStringLiteral("Blocking Socket Connected");
    case TSockReport::DatagramConnected:
        return QStringLiteral("Datagram Socket Connected");
    case TSockReport::SocketClosed:
        return QStringLiteral("Socket Closed");
    case TSockReport::BlockingCantConnect:
        return QStringLiteral("Blocking Socket Can't Connect");
    case TSockReport::DisconnectedOnReceive:
        return QStringLiteral("Socket Disconnected On Receive");
    case TSockReport::ListeningStarted:
        return QStringLiteral("Listening Started");
    case TSockReport::ListeningAlreadyRunning:
        return QStringLiteral("Listening Already Running");
    case TSockReport::ListeningStopped:
        return QStringLiteral("Listening Stopped");
    case TSockReport::NonBlockingIncomingData:
        return QStringLiteral("Non-Blocking Incoming Data");
    case TSockReport::BlockingIncomingData:
        return QStringLiteral("Blocking Incoming Data");
    case TSockReport::NonBlockingOutgoingData:
        return QStringLiteral("Non-Blocking Outgoing Data");
    case TSockReport::BlockingOutgoingData:
        return QStringLiteral("Blocking Outgoing Data");
    case TSockReport::BlockingAccept:
        return QStringLiteral("Blocking Accept");
    case TSockReport::CouldNotAccept:
        return QStringLiteral("Could Not Accept Connection");
    case TSockReport::CreatedNewTSock:
        return QStringLiteral("Created New TSock Structure");
    case TSockReport::ErrorNumber:
        return QStringLiteral("Error #");
    case TSockReport::SocketErrorOnSend:
        return QStringLiteral("Socket Error On Send");
    case TSockReport::SocketErrorOnReceive:
        return QStringLiteral("Socket Error On Receive");
    }
    return QString();
}

const char *errorText(TSockError error)
{
    switch (error) {
    case TSockError::ListenInUse:
        return "Listen - Socket Already In Use";
    case TSockError::ListenOnDatagram:
        return "Listen - Cannot Listen On A Datagram Socket";
    case TSockError::ListenBind:
        return "Listen - Error Binding Socket";
    case TSockError::ListenStart:
        return "Listen - Error Starting Listen";
    case TSockError::TypeWhileListening:
        return "SocketType - Can't Assign Socket Type While Listening";
    case TSockError::TypeWhileConnected:
        return "SocketType - Can't Assign Socket Type While Connected";
    case TSockError::SendNotConnected:
        return "Send - Socket Not Connected";
    case TSockError::SendOnListener:
        return "Send - Cannot Send On A Listener Socket";
    case TSockError::SendFailed:
        return "Send - Socket Error";
    case TSockError::ReceiveNotConnected:
        return "Receive - Socket Not Connected";
    case TSockError::ReceiveOnListener:
        return "Receive - Cannot Receive On A Listener Socket";
    case TSockError::ReceiveFailed:
        return "Receive - Socket Error ";
    case TSockError::SendDatagramNotConnected:
        return "SendDatagram - Socket Not Connected";
    case TSockError::SendDatagramOnStream:
        return "SendDatagram - Datagram Send Not Supported On Stream Sockets";
    case TSockError::ReceiveDatagramNotConnected:
        return "ReceiveDatagram - Socket Not Connected";
    case TSockError::ReceiveDatagramOnStream:
        return "ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets";
    case TSockError::AcceptNotListening:
        return "Accept - Socket Not In Listening Mode";
    case TSockError::HostNotFound:
        return "Host Lookup - Could Not Find Host Entry";
    case TSockError::ServiceNotFound:
        return "Port Lookup - Could Not Find Service Entry";
    case TSockError::CallbackFailed:
        return "Error here";
    }
    return "";
}

} // namespace

QString socketInfoName(TSocketInfo kind)
{
    switch (kind) {
    case TSocketInfo::siLookup:
        return QStringLiteral("Lookup");
    case TSocketInfo::siConnect:
        return QStringLiteral("Connect");
    case TSocketInfo::siClose:
        return QStringLiteral("Close");
    case TSocketInfo::siListen:
        return QStringLiteral("Listen");
    case TSocketInfo::siReceive:
        return QStringLiteral("Receive");
    case TSocketInfo::siSend:
        return QStringLiteral("Send");
    case TSocketInfo::siAccept:
        return QStringLiteral("Accept");
    case TSocketInfo::siError:
        return QStringLiteral("Error");
    }
    return QString();
}

QString socketErrorName(int code)
{
    for (const ErrorName &entry : kErrorNames) {
        if (entry.code == code)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("UNKNOWN ERROR");
}

int wsaErrorFromErrno(int err)
{
    if (err == 0)
        return 0;
    for (const ErrnoCode &entry : kErrnoCodes) {
        if (entry.err == err)
            return entry.code;
    }
    return 20000 + err;
}

bool isBrokenConnectionError(int wsaError)
{
    for (const int code : kBrokenConnectionCodes) {
        if (code == wsaError)
            return true;
    }
    return false;
}

QString sockReportText(TSockReport report)
{
    return reportText(report);
}

QString sockErrorText(TSockError error)
{
    return QString::fromLatin1(errorText(error));
}

ESockException::ESockException(TSockError code, const QString &detail)
    : Error(sockErrorText(code) + detail)
    , code_(code)
{
}

TSockError ESockException::code() const
{
    return code_;
}
