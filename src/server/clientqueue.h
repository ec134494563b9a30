#pragma once

#include "net/clientmessage.h"

#include <deque>
#include <optional>
#include <utility>

// One decoded client message and the seat of the connection it came from.
struct QueuedClientMessage {
    ClientMessage message;
    int origin = 0;
};

// The server's first-in first-out list of decoded client messages, drained
// one per tick of the queue timer.
class ClientQueue {
public:
    void push(ClientMessage message, int origin) { items_.push_back({std::move(message), origin}); }
    // The oldest entry, removed; nothing when the queue is empty.
    std::optional<QueuedClientMessage> take()
    {
        if (items_.empty())
            return std::nullopt;
        QueuedClientMessage front = std::move(items_.front());
        items_.pop_front();
        return front;
    }
    // Removes every entry that came from origin.
    void dropFrom(int origin)
    {
        std::erase_if(items_,
                      [origin](const QueuedClientMessage &m) { return m.origin == origin; });
    }
    // Entries that came from `from` now count as coming from `to` (a
    // connection that took its held seat back).
    void moveOrigin(int from, int to)
    {
        for (QueuedClientMessage &m : items_) {
            if (m.origin == from)
                m.origin = to;
        }
    }
    bool isEmpty() const { return items_.empty(); }
    qsizetype size() const { return qsizetype(items_.size()); }

private:
    std::deque<QueuedClientMessage> items_;
};
