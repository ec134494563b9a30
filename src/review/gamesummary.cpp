#include "review/gamesummary.h"

namespace {

bool before(const FoundWord &candidate, const FoundWord &held, int candidateKey, int heldKey)
{
    if (held.word.isEmpty() || candidateKey != heldKey)
        return held.word.isEmpty() || candidateKey > heldKey;
    return candidate.word < held.word;
}

} // namespace

GameSummary buildGameSummary(const QList<RoundPlay> &plays, int rounds)
{
    GameSummary summary;
    for (const RoundPlay &play : plays) {
        summary.rounds.append({play.round, play.rule, play.round > rounds});
        for (const auto &[seat, words] : play.found)
            if (isPlayerSeat(seat))
                summary.players[seat].seat = seat;
        for (const auto &[seat, points] : play.roundletters)
            if (isPlayerSeat(seat))
                summary.players[seat].seat = seat;
    }

    for (auto &[seat, player] : summary.players) {
        for (const RoundPlay &play : plays) {
            const auto words = play.found.find(seat);
            const QList<FoundWord> none;
            const QList<FoundWord> &found = words == play.found.end() ? none : words->second;
            const auto reported = play.roundletters.find(seat);
            const int points =
                reported == play.roundletters.end() ? pointsOf(found) : reported->second;
            player.pointsPerRound.append(points);
            player.total += points;
            player.wordsFound += static_cast<int>(found.size());
            for (const FoundWord &w : found) {
                if (before(w, player.best, w.points, player.best.points))
                    player.best = w;
                if (before(w, player.longest, static_cast<int>(w.word.size()),
                           static_cast<int>(player.longest.word.size())))
                    player.longest = w;
            }
        }
    }
    return summary;
}
