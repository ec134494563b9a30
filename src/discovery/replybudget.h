#pragma once

#include <QHostAddress>

#include <array>
#include <chrono>
#include <vector>

namespace discovery {

// How many replies a host may send: kPerAsker a second to any one asking
// address, and kTotal a second in all. One address that asks a thousand
// times a second gets its few replies and leaves the rest to the others.
// The askers are remembered for one second and at most kMaxAskers at once,
// so the memory stays bounded whoever asks.
class ReplyBudget {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kPerAsker = 4;
    static constexpr int kTotal = 20;
    static constexpr std::size_t kMaxAskers = 256;

    // True (and counted) when a reply to asker may go out at now.
    bool allow(const QHostAddress &asker, Clock::time_point now);
    // Forgets everything.
    void reset();

private:
    struct Asker {
        QHostAddress address;
        Clock::time_point since;
        int replies = 0;
    };
    bool totalAllows(Clock::time_point now) const;

    std::vector<Asker> askers_;
    // Times of the last kTotal replies, oldest at next_.
    std::array<Clock::time_point, kTotal> lastReplies_{};
    std::size_t next_ = 0;
};

} // namespace discovery
