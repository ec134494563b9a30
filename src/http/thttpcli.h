#pragma once

#include "common/errors.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class QEventLoop;
class QIODevice;
class HttpMulti;

// A request that ended without a usable document: a reply status of 400 or
// above, a failed transfer, or a stop.
class EHttpException : public Error {
public:
    EHttpException(int statusCode, const QString &message);
    // The reply's status, 404 for a stopped request, 0 when no reply came.
    int statusCode() const { return statusCode_; }

private:
    int statusCode_;
};

class THttpCli;
using THttpNotifyEvent = std::function<void(THttpCli *sender)>;
using THttpDataEvent = std::function<void(THttpCli *sender, const QByteArray &data)>;

// An HTTP client that fetches one document at a time into a destination
// stream. Get waits for the transfer while the thread's event loop keeps
// running, so windows, sockets and timers stay responsive meanwhile.
class THttpCli : public QObject {
public:
    explicit THttpCli(QObject *owner = nullptr);
    ~THttpCli() override;

    THttpCli(const THttpCli &) = delete;
    THttpCli &operator=(const THttpCli &) = delete;

    // Address of the document ("http://host[:port]/path").
    QString URL;
    // HTTP version of the request: "1.0" or "1.1".
    QString RequestVer = QStringLiteral("1.0");
    // The User-Agent header.
    QString Agent = QStringLiteral("Mozilla/3.0 (compatible)");
    // The Accept header.
    QString Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    // Asks caches on the way for a fresh copy.
    bool NoCache = false;
    // Local address to send from; "0.0.0.0" or empty for any.
    QString LocalAddr = QStringLiteral("0.0.0.0");
    // Proxy host; empty for a direct connection (proxy settings of the
    // environment are never used).
    QString Proxy;
    // Proxy port, used with Proxy.
    QString ProxyPort = QStringLiteral("80");

    // Called once for each header line of a reply (LastResponse holds it).
    THttpNotifyEvent OnHeaderData;
    // Called once when the document body begins.
    THttpNotifyEvent OnDocBegin;
    // Called after each piece of body data has been written to the stream.
    THttpDataEvent OnDocData;

    // The stream the document body is written to; not owned. May be null, in
    // which case the body is counted and dropped.
    QIODevice *RcvdStream() const;
    void setRcvdStream(QIODevice *stream);
    // Body bytes received by the current or last request.
    qint64 RcvdCount() const { return rcvdCount_; }
    // The header line being reported, without its line end.
    QString LastResponse() const { return lastResponse_; }
    // Status code and reason of the last reply (0 and empty before one came).
    int StatusCode() const { return statusCode_; }
    QString ReasonPhrase() const { return reasonPhrase_; }
    // True while Get runs.
    bool busy() const { return busy_; }

    // Fetches URL into RcvdStream; returns when the transfer has ended, raising
    // EHttpException for a status of 400 or above, a failed transfer or a stop.
    // Exceptions of the event handlers end the transfer and are passed on.
    void Get();
    // Ends a running Get (which then raises "Connection aborted on request"
    // with status 404); does nothing when idle.
    void Abort();

private:
    static size_t headerCallback(char *data, size_t size, size_t count, void *self);
    static size_t writeCallback(char *data, size_t size, size_t count, void *self);
    size_t onHeader(const QByteArray &line);
    size_t onBody(const char *data, size_t length);
    void resetReply();
    void finish();

    std::unique_ptr<HttpMulti> multi_;
    QPointer<QIODevice> stream_;
    QEventLoop *loop_ = nullptr;
    bool busy_ = false;
    bool aborted_ = false;
    bool finished_ = false;
    bool docBegun_ = false;
    bool inCallback_ = false;
    int result_ = 0;
    qint64 rcvdCount_ = 0;
    int statusCode_ = 0;
    QString reasonPhrase_;
    QString lastResponse_;
    QString streamError_;
    std::exception_ptr handlerError_;
};
