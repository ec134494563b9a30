#pragma once

#include <QtGlobal>

// The process-wide random generator. Seeded from the clock at start-up; tests
// seed it to replay a game exactly.
namespace Random {
// Seeds the generator with a fixed value.
void seed(quint32 value);
// Seeds the generator from the clock, or from LEXICLASH_SEED when it holds a number.
void seedFromClock();
// A uniformly drawn integer from 0 to n - 1; n must be at least 1.
int below(int n);
} // namespace Random
