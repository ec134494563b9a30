#include "review/gamesummary.h"

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
                if (outranks(w.points, w.word, player.best.points, player.best.word))
                    player.best = w;
                if (outranks(int(w.word.size()), w.word, int(player.longest.word.size()),
                             player.longest.word))
                    player.longest = w;
            }
        }
    }
    return summary;
}
