#pragma once

#include "net/messages.h"

// The options of the host that the server reads when it needs them: the
// hosting main window implements this, and so does the dedicated host.
class HostOptions {
public:
    virtual ~HostOptions() = default;
    // Pause between rounds in seconds ("Time Between Rounds").
    virtual int pauseBetweenRounds() const = 0;
    // The computer player's interval in milliseconds ("Bot Speed").
    virtual int botInterval() const = 0;
    // Whether the computer player plays seat 2 while no client holds it.
    virtual bool computerPlays() const { return true; }
    // The options a game starts with, from those its request asks for; a
    // host that fixes some of them puts its own in their place.
    virtual Msg::StartGameRequest gameOptions(const Msg::StartGameRequest &asked) const
    {
        return asked;
    }
};
