#pragma once

#include "common/errors.h"

#include <QString>

enum class TSocketType { stStream = 0, stDatagram = 1 };
enum class TLineBreak { lbCRLF = 0, lbCR = 1, lbLF = 2, lbSmart = 3 };

// Kinds of info report; the value is the report's code.
enum class TSocketInfo {
    siLookup = 0,
    siConnect = 1,
    siClose = 2,
    siListen = 3,
    siReceive = 4,
    siSend = 5,
    siAccept = 6,
    siError = 7
};

// What an info report says. Owners test this code, never the report's text.
enum class TSockReport {
    None,
    LookupOfHost,
    LookupOfPort,
    HostNameWhileConnected,
    PortNameWhileConnected,
    NonBlockingConnected,
    BlockingConnected,
    DatagramConnected,
    SocketClosed,
    BlockingCantConnect,
    DisconnectedOnReceive,
    ListeningStarted,
    ListeningAlreadyRunning,
    ListeningStopped,
    NonBlockingIncomingData,
    BlockingIncomingData,
    NonBlockingOutgoingData,
    BlockingOutgoingData,
    BlockingAccept,
    CouldNotAccept,
    CreatedNewTSock,
    ErrorNumber,
    SocketErrorOnSend,
    SocketErrorOnReceive
};

// The failure that stopped a socket operation.
enum class TSockError {
    ListenInUse,
    ListenOnDatagram,
    ListenBind,
    ListenStart,
    TypeWhileListening,
    TypeWhileConnected,
    SendNotConnected,
    SendOnListener,
    SendFailed,
    ReceiveNotConnected,
    ReceiveOnListener,
    ReceiveFailed,
    SendDatagramNotConnected,
    SendDatagramOnStream,
    ReceiveDatagramNotConnected,
    ReceiveDatagramOnStream,
    AcceptNotListening,
    HostNotFound,
    ServiceNotFound,
    CallbackFailed
};

// The name the program keeps for an info kind ("Lookup", "Connect", ...).
QString socketInfoName(TSocketInfo kind);
// The fixed text of a report ("Socket Closed", ...); ErrorNumber and the two
// lookups are completed by the reporter, None has no text.
QString sockReportText(TSockReport report);
// The fixed text of a failure ("Send - Socket Not Connected", ...).
QString sockErrorText(TSockError error);
// The Windows Sockets symbolic name of an error code, or "UNKNOWN ERROR".
QString socketErrorName(int code);
// Maps a POSIX errno value to its Windows Sockets error code (0 for 0); an
// errno without a counterpart gives 20000 + errno, named "UNKNOWN ERROR".
int wsaErrorFromErrno(int err);
// True for the Windows Sockets codes that mean an established connection is
// gone for good: reset (10054), aborted, also by a broken pipe (10053), and
// timed out (10060). Owners close such a connection rather than wait on it.
bool isBrokenConnectionError(int wsaError);

// A failure of a socket operation: its code, and the fixed text (followed by
// detail, for the failures that name an error) that the user sees.
class ESockException : public Error {
public:
    explicit ESockException(TSockError code, const QString &detail = QString());
    // What failed; callers test this rather than the text.
    TSockError code() const;

private:
    TSockError code_;
};
