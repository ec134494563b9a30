#include "discovery/replybudget.h"

#include <algorithm>

namespace discovery {

bool ReplyBudget::totalAllows(Clock::time_point now) const
{
    // The slot of the oldest of the last replies: free when that reply is a
    // second old, so no second ever holds more than the limit.
    const Clock::time_point oldest = lastReplies_[next_];
    return oldest == Clock::time_point{} || now - oldest >= std::chrono::seconds(1);
}

bool ReplyBudget::allow(const QHostAddress &asker, Clock::time_point now)
{
    if (!totalAllows(now))
        return false;
    std::erase_if(askers_, [now](const Asker &entry) {
        return now - entry.since >= std::chrono::seconds(1);
    });
    auto it = std::find_if(askers_.begin(), askers_.end(),
                           [&asker](const Asker &entry) { return entry.address == asker; });
    if (it == askers_.end()) {
        if (askers_.size() >= kMaxAskers)
            return false;
        askers_.push_back({asker, now, 0});
        it = askers_.end() - 1;
    }
    if (it->replies >= kPerAsker)
        return false;
    ++it->replies;
    lastReplies_[next_] = now;
    next_ = (next_ + 1) % lastReplies_.size();
    return true;
}

void ReplyBudget::reset()
{
    askers_.clear();
    lastReplies_.fill(Clock::time_point{});
    next_ = 0;
}

} // namespace discovery
