#include "net/framing.h"

QList<QByteArray> Framer::feed(const QByteArray &bytes)
{
    if (overflowed_)
        return {};
    tail_.append(bytes);

    QList<QByteArray> messages;
    qsizetype start = 0;
    for (qsizetype end = tail_.indexOf(kTerminator, start); end >= 0;
         end = tail_.indexOf(kTerminator, start)) {
        messages.append(tail_.mid(start, end - start));
        start = end + 1;
    }
    // Cut the consumed bytes once per read, not once per message.
    tail_.remove(0, start);

    if (tail_.size() > kMaxTail) {
        // A peer that never ends its message would make us buffer forever;
        // the owner closes the connection, so nothing after this is trusted.
        overflowed_ = true;
        tail_.clear();
        tail_.squeeze();
    }
    return messages;
}

bool Framer::overflowed() const
{
    return overflowed_;
}

qsizetype Framer::tailSize() const
{
    return tail_.size();
}

void ReceiveQueue::push(QByteArray text, int origin)
{
    items_.push_back(QueuedMessage{std::move(text), origin});
}

QueuedMessage ReceiveQueue::take()
{
    if (items_.empty())
        return {};
    QueuedMessage oldest = std::move(items_.front());
    items_.pop_front();
    return oldest;
}

void ReceiveQueue::dropFrom(int origin)
{
    std::erase_if(items_, [origin](const QueuedMessage &item) { return item.origin == origin; });
}

bool ReceiveQueue::isEmpty() const
{
    return items_.empty();
}

qsizetype ReceiveQueue::size() const
{
    return static_cast<qsizetype>(items_.size());
}

void ReceiveQueue::clear()
{
    items_.clear();
}
