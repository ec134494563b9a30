#pragma once

#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

// Runs the transfers of one curl multi handle from the Qt event loop: socket
// readiness arrives through QSocketNotifier and curl's timeouts through a
// QTimer, so a transfer never blocks the thread.
class HttpMulti : public QObject {
public:
    using DoneEvent = std::function<void(CURLcode result)>;

    explicit HttpMulti(QObject *parent = nullptr);
    ~HttpMulti() override;

    HttpMulti(const HttpMulti &) = delete;
    HttpMulti &operator=(const HttpMulti &) = delete;

    // Adds a configured easy handle (one at a time); onDone runs from the event
    // loop once its transfer has ended.
    void start(CURL *easy, DoneEvent onDone);
    // Takes the running easy handle out without calling onDone; safe when idle,
    // not allowed from inside a curl callback.
    void stop();
    // True while an easy handle is added.
    bool running() const { return easy_ != nullptr; }

private:
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int socketCallback(CURL *easy, curl_socket_t fd, int what, void *self, void *);
    static int timerCallback(CURLM *multi, long timeoutMs, void *self);

    void watchSocket(curl_socket_t fd, int what);
    void unwatchSocket(curl_socket_t fd);
    void socketAction(curl_socket_t fd, int events);
    void checkFinished();

    CURLM *multi_ = nullptr;
    CURL *easy_ = nullptr;
    DoneEvent onDone_;
    std::map<curl_socket_t, Watch> watches_;
    QTimer timer_;
};
