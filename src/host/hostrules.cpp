#include "host/hostrules.h"

HostRules::HostRules(HostConfig config)
    : config_(std::move(config))
{
}

int HostRules::botInterval() const
{
    return config_.botInterval > 0 ? config_.botInterval : HostConfig::kNormalMs;
}

Msg::StartGameRequest HostRules::gameOptions(const Msg::StartGameRequest &asked) const
{
    Msg::StartGameRequest request = asked;
    if (config_.rounds)
        request.rounds = QByteArray::number(*config_.rounds);
    if (config_.seconds)
        request.seconds = QByteArray::number(*config_.seconds);
    if (config_.gameType)
        request.gameType = QByteArray::number(*config_.gameType);
    if (config_.showWords)
        request.show = *config_.showWords ? "1" : "0";
    return request;
}
