#include "portmap/natpmpgateway.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <sys/select.h>

namespace {

// Short slices of waiting, so that a wait notices the flag soon.
constexpr qint64 kSliceMs = 100;

} // namespace

NatPmpGateway::NatPmpGateway(const std::atomic<bool> &giveUp)
    : giveUp_(giveUp)
{
}

NatPmpGateway::~NatPmpGateway()
{
    if (open_)
        closenatpmp(&natpmp_);
}

bool NatPmpGateway::open()
{
    if (!open_)
        open_ = initnatpmp(&natpmp_, 0, 0) == 0;
    return open_;
}

NatPmpGateway::Reply NatPmpGateway::publicAddress(QString &address, int waitMs)
{
    if (!open_ || sendpublicaddressrequest(&natpmp_) < 0)
        return Reply::Silent;
    natpmpresp_t response{};
    const Reply reply = await(response, NATPMP_RESPTYPE_PUBLICADDRESS, waitMs);
    if (reply != Reply::Answered)
        return reply;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
    address = QString::fromLatin1(text);
    return reply;
}

NatPmpGateway::Reply NatPmpGateway::add(quint16 internal, quint16 &external, int leaseSeconds,
                                        int waitMs)
{
    if (!open_ || sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_TCP, internal, external,
                                            uint32_t(leaseSeconds)) < 0)
        return Reply::Silent;
    natpmpresp_t response{};
    const Reply reply = await(response, NATPMP_RESPTYPE_TCPPORTMAPPING, waitMs);
    if (reply != Reply::Answered)
        return reply;
    external = response.pnu.newportmapping.mappedpublicport;
    return external != 0 ? reply : Reply::Refused;
}

void NatPmpGateway::remove(quint16 internal, int waitMs)
{
    if (!open_ || sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_TCP, internal, 0, 0) < 0)
        return;
    natpmpresp_t response{};
    await(response, NATPMP_RESPTYPE_TCPPORTMAPPING, waitMs, false);
}

// libnatpmp doubles its wait on every retry, up to a minute; the wait here
// ends at waitMs whatever it asks for. An answer with an error code, or of
// another type, is a refusal.
NatPmpGateway::Reply NatPmpGateway::await(natpmpresp_t &response, int type, int waitMs,
                                          bool stoppable)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int result = readnatpmpresponseorretry(&natpmp_, &response);
        if (result == 0)
            return response.type == type ? Reply::Answered : Reply::Refused;
        if (result != NATPMP_TRYAGAIN)
            return result <= NATPMP_ERR_UNSUPPORTEDVERSION ? Reply::Refused : Reply::Silent;
        const qint64 left = waitMs - clock.elapsed();
        if (left <= 0 || (stoppable && giveUp_))
            return Reply::Silent;
        timeval timeout{};
        getnatpmprequesttimeout(&natpmp_, &timeout);
        const qint64 askedMs = qint64(timeout.tv_sec) * 1000 + timeout.tv_usec / 1000;
        const qint64 waitNow = qBound<qint64>(1, askedMs, qMin(left, kSliceMs));
        timeout.tv_sec = time_t(waitNow / 1000);
        timeout.tv_usec = suseconds_t((waitNow % 1000) * 1000);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(natpmp_.s, &readable);
        ::select(natpmp_.s + 1, &readable, nullptr, nullptr, &timeout);
    }
}
