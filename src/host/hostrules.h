#pragma once

#include "host/hostconfig.h"
#include "server/hostoptions.h"

// The dedicated host's options as the server reads them: the configured
// pause and computer player, and the game options it fixes in place of the
// leader's.
class HostRules : public HostOptions {
public:
    explicit HostRules(HostConfig config = {});

    // Replaces the options (a reread settings file); the server reads them
    // from its next pause, round or game on.
    void setConfig(const HostConfig &config) { config_ = config; }
    const HostConfig &config() const { return config_; }

    int pauseBetweenRounds() const override { return config_.pause; }
    int botInterval() const override;
    bool computerPlays() const override { return config_.botInterval > 0; }
    Msg::StartGameRequest gameOptions(const Msg::StartGameRequest &asked) const override;

private:
    HostConfig config_;
};
