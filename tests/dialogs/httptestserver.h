#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>

#include <memory>
#include <vector>

// A small HTTP server on 127.0.0.1 for the download tests, driven by the Qt
// event loop like the program itself. It answers each request from a table of
// paths and records the request heads it received.
class HttpTestServer : public QObject {
public:
    enum class Mode {
        Complete,  // status, headers with Content-Length, body, close
        Stall,     // status, headers, body, then the connection stays open silent
        Drip,      // body sent in pieces of dripSize bytes, one per event-loop turn
        Truncated, // announces more body than it sends, then closes
    };
    struct Reply {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        Mode mode = Mode::Complete;
        QByteArray extraHeaders; // complete lines, each ended by "\r\n"
        int dripSize = 64;
    };

    explicit HttpTestServer(QObject *parent = nullptr);
    ~HttpTestServer() override;

    // The port the system chose.
    quint16 port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    QByteArray url(const QByteArray &path) const;
    // Answers GET requests for path with reply; unknown paths get a 404.
    void setReply(const QByteArray &path, const Reply &reply) { replies_[path] = reply; }
    // Request heads received so far (request line and header lines, CRLF-ended).
    const QList<QByteArray> &requests() const { return requests_; }
    // Connections currently open.
    int openConnections() const;

private:
    struct Connection;

    void acceptPending();
    void readFrom(Connection &connection);
    void answer(Connection &connection, const QByteArray &head);
    void flush(Connection &connection);
    void drip(Connection &connection);
    void drop(Connection &connection);

    int listenFd_ = -1;
    quint16 port_ = 0;
    QMap<QByteArray, Reply> replies_;
    QList<QByteArray> requests_;
    std::vector<std::unique_ptr<Connection>> connections_;
};
