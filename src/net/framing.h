#pragma once

#include <QByteArray>
#include <QList>

#include <deque>

// The byte that ends every message on the wire.
inline constexpr char kTerminator = '\xFF';

// Cuts one connection's byte stream into message texts at the terminator.
// The unfinished tail of a read is kept and joined to the next read.
class Framer {
public:
    // The longest unfinished tail a connection may leave; beyond it the
    // connection is to be closed.
    static constexpr qsizetype kMaxTail = 64 * 1024;

    // Appends bytes and returns the complete message texts, terminators
    // removed, in the order they were sent.
    QList<QByteArray> feed(const QByteArray &bytes);
    // True once the unfinished tail has grown past kMaxTail; the tail is then
    // dropped and every later feed returns nothing.
    bool overflowed() const;
    // Bytes waiting for their terminator.
    qsizetype tailSize() const;

private:
    QByteArray tail_;
    bool overflowed_ = false;
};

// One queued message text and the seat of the connection it came from
// (0 where the receiver has only one connection).
struct QueuedMessage {
    QByteArray text;
    int origin = 0;
};

// First-in first-out list of message texts of one end, drained one per tick.
class ReceiveQueue {
public:
    void push(QByteArray text, int origin = 0);
    // The oldest entry, removed; an empty text when the queue is empty.
    QueuedMessage take();
    // Removes every entry that came from origin.
    void dropFrom(int origin);
    bool isEmpty() const;
    qsizetype size() const;
    void clear();

private:
    std::deque<QueuedMessage> items_;
};
