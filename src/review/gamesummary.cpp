#include "review/gamesummary.h"

#include "dict/wordlevels.h"

GameSummary buildGameSummary(const QList<RoundPlay> &plays, int rounds, const WordLevels &levels)
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
        int bestLevel = 0;
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
                const int level = levels.levelOfWord(w.word);
                if (outranks(bestKey(w.points, level), w.word,
                             bestKey(player.best.points, bestLevel), player.best.word)) {
                    player.best = w;
                    bestLevel = level;
                }
                // Rarity first, then points: the key of "best" the other way round.
                if (outranks(level * 1000 + w.points, w.word,
                             player.rarestLevel * 1000 + player.rarest.points,
                             player.rarest.word)) {
                    player.rarest = w;
                    player.rarestLevel = level;
                }
            }
        }
    }
    return summary;
}
