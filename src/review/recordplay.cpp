#include "review/recordplay.h"

RoundPlay playOf(const RoundRecord &record, int myseat, GameModel::WordsShown shown,
                 const QList<int> &seated)
{
    RoundPlay play;
    play.round = record.round;
    play.rule = RoundRule{record.prefix.toUpper().toLatin1(), record.length};
    play.showwords = shown != GameModel::WordsShown::ToFinderOnly && record.seenFromStart;
    play.myseat = myseat;
    for (const ListedWord &word : record.words) {
        if (isPlayerSeat(word.seat))
            play.found[word.seat].append({word.word.toUpper().toLatin1(), word.points});
    }
    if (!record.ended)
        return play;
    for (const Msg::SeatScore &score : record.scores) {
        // An empty seat sends zeros; one that emptied during the game still has numbers.
        const bool played = seated.contains(score.seat) || score.total != 0 ||
                            score.gameWords != 0 || play.found.count(score.seat) != 0;
        if (!isPlayerSeat(score.seat) || !played)
            continue;
        play.found[score.seat];
        play.roundletters[score.seat] = score.roundPoints;
    }
    return play;
}

QList<int> seatedOf(const GameModel &model)
{
    QList<int> seated;
    for (int seat = 1; seat <= GameModel::kPlayerSeats; ++seat) {
        if (model.occupied(seat))
            seated.append(seat);
    }
    return seated;
}

QList<RoundPlay> playsOf(const GameModel &model)
{
    const QList<int> seated = seatedOf(model);
    QList<RoundPlay> plays;
    for (const RoundRecord &record : model.history()) {
        if (record.ended)
            plays.append(playOf(record, model.mySeat(), model.wordsShown(), seated));
    }
    return plays;
}
