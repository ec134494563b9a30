// The discovery datagram reader on arbitrary datagrams: decodeReply must
// refuse or read any bytes without crashing, and whatever it reads must be
// written back by encodeReply to exactly the same bytes (the reader accepts
// only the layout the writer produces). The same holds for announcements and
// server marks; isQuery and decodeGame get the same bytes.

#include "discovery/discoverydatagram.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView datagram(reinterpret_cast<const char *>(data), qsizetype(size));
    if (discovery::isQuery(datagram) && datagram != discovery::encodeQuery())
        std::abort();
    const auto announced = discovery::decodeAnnouncement(datagram);
    if (announced && discovery::encodeAnnouncement(*announced) != datagram)
        std::abort();
    if (const auto mark = discovery::decodeServerMark(datagram)) {
        discovery::GameInfo marked;
        marked.gameId = mark->gameId;
        marked.gamePort = mark->gamePort;
        if (discovery::encodeServerMark(marked) != datagram || discovery::decodeGame(datagram))
            std::abort();
    }
    const auto heard = discovery::decodeGame(datagram);
    if (heard && heard->otherFormat && heard->gamePort == 0)
        std::abort();
    const auto info = discovery::decodeReply(datagram);
    if (!info)
        return 0;
    if (discovery::encodeReply(*info) != datagram)
        std::abort();
    return 0;
}
