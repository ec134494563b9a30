#include "http/httpmulti.h"

#include <QSocketNotifier>

#include <mutex>

namespace {
void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A notifier may be the one whose signal is being delivered right now, so it
// is switched off at once and deleted later.
void retire(QSocketNotifier *&notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
}
} // namespace

HttpMulti::HttpMulti(QObject *parent)
    : QObject(parent)
{
    initCurlOnce();
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &HttpMulti::socketCallback);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &HttpMulti::timerCallback);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { socketAction(CURL_SOCKET_TIMEOUT, 0); });
}

HttpMulti::~HttpMulti()
{
    stop();
    for (auto &[fd, watch] : watches_) {
        delete watch.read;
        delete watch.write;
    }
    watches_.clear();
    curl_multi_cleanup(multi_);
}

void HttpMulti::start(CURL *easy, DoneEvent onDone)
{
    stop();
    easy_ = easy;
    onDone_ = std::move(onDone);
    curl_multi_add_handle(multi_, easy_);
}

void HttpMulti::stop()
{
    if (!easy_)
        return;
    CURL *easy = easy_;
    easy_ = nullptr;
    onDone_ = nullptr;
    curl_multi_remove_handle(multi_, easy);
    timer_.stop();
}

int HttpMulti::socketCallback(CURL *, curl_socket_t fd, int what, void *self, void *)
{
    auto *multi = static_cast<HttpMulti *>(self);
    if (what == CURL_POLL_REMOVE)
        multi->unwatchSocket(fd);
    else
        multi->watchSocket(fd, what);
    return 0;
}

int HttpMulti::timerCallback(CURLM *, long timeoutMs, void *self)
{
    auto *multi = static_cast<HttpMulti *>(self);
    if (timeoutMs < 0)
        multi->timer_.stop();
    else
        multi->timer_.start(static_cast<int>(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

void HttpMulti::watchSocket(curl_socket_t fd, int what)
{
    Watch &watch = watches_[fd];
    const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (wantRead && !watch.read) {
        watch.read = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(watch.read, &QSocketNotifier::activated, this,
                [this, fd] { socketAction(fd, CURL_CSELECT_IN); });
    } else if (!wantRead) {
        retire(watch.read);
    }
    if (wantWrite && !watch.write) {
        watch.write = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        connect(watch.write, &QSocketNotifier::activated, this,
                [this, fd] { socketAction(fd, CURL_CSELECT_OUT); });
    } else if (!wantWrite) {
        retire(watch.write);
    }
}

void HttpMulti::unwatchSocket(curl_socket_t fd)
{
    const auto it = watches_.find(fd);
    if (it == watches_.end())
        return;
    retire(it->second.read);
    retire(it->second.write);
    watches_.erase(it);
}

void HttpMulti::socketAction(curl_socket_t fd, int events)
{
    int runningHandles = 0;
    curl_multi_socket_action(multi_, fd, events, &runningHandles);
    checkFinished();
}

void HttpMulti::checkFinished()
{
    int queued = 0;
    while (CURLMsg *message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg != CURLMSG_DONE || message->easy_handle != easy_)
            continue;
        const CURLcode result = message->data.result;
        DoneEvent done = std::move(onDone_);
        stop();
        if (done)
            done(result);
        return;
    }
}
