#pragma once

// The two options of the hosting player that the server reads when it needs
// them: the host's main window implements this.
class HostOptions {
public:
    virtual ~HostOptions() = default;
    // Pause between rounds in seconds ("Time Between Rounds").
    virtual int pauseBetweenRounds() const = 0;
    // The computer player's interval in milliseconds ("Bot Speed").
    virtual int botInterval() const = 0;
};
