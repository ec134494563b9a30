#pragma once

#include <QByteArray>

#include <cstdint>

// A raw client of the fuzz targets: a blocking POSIX TCP socket to
// 127.0.0.1 whose received bytes are thrown away without waiting.
class LoopbackPeer {
public:
    LoopbackPeer() = default;
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    // Connects to 127.0.0.1:port; false when the connection failed.
    bool connectTo(uint16_t port);
    // Writes all bytes; false when the peer has closed.
    bool write(const QByteArray &bytes);
    // Reads and drops whatever has arrived; false once the other end closed.
    bool drain();
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Runs Qt's event loop until nothing more is pending (bounded).
void pumpEvents();
