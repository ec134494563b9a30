#pragma once

#include "model/gamemodel.h"
#include "review/roundreview.h"

#include <QList>

// The review's view of the rounds the game model recorded: what this copy was
// told, and nothing it was not.

// A recorded round as the review builders take it. The missed list covers
// everybody only when every player's words reached this copy: the host showed
// them and the round was seen from its start. Seats in `seated` take part
// even without a word or a point; so does any seat with either.
RoundPlay playOf(const RoundRecord &record, int myseat, GameModel::WordsShown shown,
                 const QList<int> &seated);

// The player seats the model's board shows occupied.
QList<int> seatedOf(const GameModel &model);

// Every ended round of a model's current game, oldest first.
QList<RoundPlay> playsOf(const GameModel &model);
