#include "common/random.h"

#include <QDateTime>
#include <QRandomGenerator>

namespace {
QRandomGenerator &generator()
{
    static QRandomGenerator gen(1);
    return gen;
}
} // namespace

void Random::seed(quint32 value) { generator().seed(value); }

void Random::seedFromClock()
{
    // LEXICLASH_SEED replaces the clock so that a whole game can be replayed.
    bool fixed = false;
    const quint32 value = qEnvironmentVariable("LEXICLASH_SEED").toUInt(&fixed);
    generator().seed(fixed ? value : static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
}

int Random::below(int n)
{
    Q_ASSERT(n >= 1);
    return static_cast<int>(generator().bounded(static_cast<quint32>(n)));
}
