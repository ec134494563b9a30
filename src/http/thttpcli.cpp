#include "http/thttpcli.h"

#include "http/httpmulti.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>

#include <utility>

namespace {
// Owns the easy handle and the request's header list for the length of one Get.
class EasyRequest {
public:
    EasyRequest()
        : easy_(curl_easy_init())
    {
        if (!easy_)
            throw EHttpException(0, QStringLiteral("Cannot start an HTTP request"));
    }
    ~EasyRequest()
    {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(easy_);
    }
    EasyRequest(const EasyRequest &) = delete;
    EasyRequest &operator=(const EasyRequest &) = delete;

    CURL *handle() const { return easy_; }
    void addHeader(const QByteArray &line)
    {
        headers_ = curl_slist_append(headers_, line.constData());
    }
    curl_slist *headers() const { return headers_; }
    char *errorBuffer() { return errorBuffer_; }

private:
    CURL *easy_;
    curl_slist *headers_ = nullptr;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

QByteArray chopLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}
} // namespace

EHttpException::EHttpException(int statusCode, const QString &message)
    : Error(message)
    , statusCode_(statusCode)
{
}

THttpCli::THttpCli(QObject *owner)
    : QObject(owner)
    , multi_(std::make_unique<HttpMulti>())
{
}

THttpCli::~THttpCli()
{
    // A Get still waiting further up the stack finds its loop ended and the
    // request marked as stopped.
    aborted_ = true;
    if (loop_)
        loop_->quit();
}

QIODevice *THttpCli::RcvdStream() const
{
    return stream_;
}

void THttpCli::setRcvdStream(QIODevice *stream)
{
    stream_ = stream;
}

void THttpCli::Get()
{
    if (busy_)
        throw EHttpException(0, QStringLiteral("HTTP component is busy"));

    EasyRequest request;
    CURL *easy = request.handle();
    const QByteArray url = URL.toUtf8();
    const QByteArray agent = Agent.toLatin1();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                     RequestVer == QLatin1String("1.0") ? CURL_HTTP_VERSION_1_0
                                                        : CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    if (!Accept.isEmpty())
        request.addHeader("Accept: " + Accept.toLatin1());
    if (NoCache) {
        request.addHeader("Pragma: no-cache");
        request.addHeader("Cache-Control: no-cache");
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request.headers());
    // An empty proxy switches off the proxy variables of the environment too.
    const QByteArray proxy =
        Proxy.isEmpty() ? QByteArray() : (Proxy + QLatin1Char(':') + ProxyPort).toLatin1();
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
    const QByteArray localAddr = ("host!" + LocalAddr).toLatin1();
    if (!LocalAddr.isEmpty() && LocalAddr != QLatin1String("0.0.0.0"))
        curl_easy_setopt(easy, CURLOPT_INTERFACE, localAddr.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A server that stops sending altogether counts as a broken transfer.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, request.errorBuffer());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &THttpCli::headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &THttpCli::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);

    busy_ = true;
    aborted_ = false;
    finished_ = false;
    docBegun_ = false;
    result_ = CURLE_OK;
    rcvdCount_ = 0;
    streamError_.clear();
    handlerError_ = nullptr;
    resetReply();

    const QPointer<THttpCli> self(this);
    QEventLoop loop;
    loop_ = &loop;
    QMetaObject::Connection shutdown;
    if (QCoreApplication::instance())
        shutdown = connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                           &THttpCli::Abort);
    multi_->start(easy, [this](CURLcode result) {
        result_ = result;
        finished_ = true;
        if (loop_)
            loop_->quit();
    });
    // The loop also ends early when the application quits: that counts as a stop.
    loop.exec();

    if (!self)
        throw EHttpException(404, QStringLiteral("Connection aborted on request"));
    loop_ = nullptr;
    disconnect(shutdown);
    multi_->stop();
    busy_ = false;

    if (handlerError_)
        std::rethrow_exception(std::exchange(handlerError_, nullptr));
    if (aborted_ || !finished_)
        throw EHttpException(404, QStringLiteral("Connection aborted on request"));
    if (!streamError_.isEmpty())
        throw Error(streamError_);
    if (statusCode_ >= 400)
        throw EHttpException(statusCode_,
                             QString::number(statusCode_) + QLatin1Char(' ') + reasonPhrase_);
    if (result_ != CURLE_OK) {
        const QString detail = QString::fromLocal8Bit(request.errorBuffer());
        throw EHttpException(
            statusCode_,
            detail.isEmpty() ? QString::fromLatin1(curl_easy_strerror(CURLcode(result_))) : detail);
    }
    finish();
}

void THttpCli::Abort()
{
    if (!busy_ || aborted_)
        return;
    aborted_ = true;
    // From inside a curl callback the handle cannot be taken out; the callback
    // refuses the data instead and the transfer ends by itself.
    if (inCallback_)
        return;
    multi_->stop();
    if (loop_)
        loop_->quit();
}

size_t THttpCli::headerCallback(char *data, size_t size, size_t count, void *self)
{
    const size_t length = size * count;
    auto *client = static_cast<THttpCli *>(self);
    return client->onHeader(QByteArray(data, qsizetype(length))) == 0 ? 0 : length;
}

size_t THttpCli::writeCallback(char *data, size_t size, size_t count, void *self)
{
    return static_cast<THttpCli *>(self)->onBody(data, size * count);
}

size_t THttpCli::onHeader(const QByteArray &rawLine)
{
    if (aborted_)
        return 0;
    const QByteArray line = chopLineEnd(rawLine);
    if (line.startsWith("HTTP/")) {
        // Each reply of the exchange (interim replies, followed relocations)
        // starts with its own status line.
        resetReply();
        const QList<QByteArray> parts = line.split(' ');
        statusCode_ = parts.size() > 1 ? parts[1].toInt() : 0;
        const qsizetype reasonAt = line.indexOf(' ', line.indexOf(' ') + 1);
        reasonPhrase_ = reasonAt < 0 ? QString() : QString::fromLatin1(line.mid(reasonAt + 1));
    }
    if (line.isEmpty())
        return 1;
    lastResponse_ = QString::fromLatin1(line);
    inCallback_ = true;
    try {
        if (OnHeaderData)
            OnHeaderData(this);
    } catch (...) {
        handlerError_ = std::current_exception();
    }
    inCallback_ = false;
    return handlerError_ || aborted_ ? 0 : 1;
}

size_t THttpCli::onBody(const char *data, size_t length)
{
    if (aborted_)
        return 0;
    // The body of an error reply is no document: it is not written out.
    if (statusCode_ >= 400)
        return length;
    inCallback_ = true;
    try {
        if (!docBegun_) {
            docBegun_ = true;
            if (OnDocBegin)
                OnDocBegin(this);
        }
        if (stream_ && !aborted_) {
            const qint64 written = stream_->write(data, qint64(length));
            if (written != qint64(length))
                streamError_ =
                    QStringLiteral("Cannot write the downloaded data: ") + stream_->errorString();
        }
        if (streamError_.isEmpty() && !aborted_) {
            rcvdCount_ += qint64(length);
            if (OnDocData)
                OnDocData(this, QByteArray(data, qsizetype(length)));
        }
    } catch (...) {
        handlerError_ = std::current_exception();
    }
    inCallback_ = false;
    return handlerError_ || aborted_ || !streamError_.isEmpty() ? 0 : length;
}

void THttpCli::resetReply()
{
    statusCode_ = 0;
    reasonPhrase_.clear();
    lastResponse_.clear();
}

void THttpCli::finish()
{
    // A document with an empty body still begins once.
    if (docBegun_ || !OnDocBegin)
        return;
    docBegun_ = true;
    OnDocBegin(this);
}
