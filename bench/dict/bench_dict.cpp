// Word lookups and walks over the words with a beginning in the dictionary's
// record file, next to the same done on the list held in memory as
// std::vector<std::string>, in one run; the round review built on the walk with
// its common-first order, next to a plain sort of the words in memory; and a
// word's meaning looked up, next to a std::unordered_map of the same meanings.

#include "dict/tdictn.h"
#include "dict/wordlevels.h"
#include "dict/wordmeanings.h"
#include "review/roundreview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Fixture {
    QTemporaryDir folder;
    std::unique_ptr<TDictn> dictionary;
    std::unique_ptr<WordLevels> levels;
    WordMeanings meanings;
    std::vector<std::string> words;
    // The level of each word of `words`.
    std::vector<int> wordLevels;
    // The reference: every word's meaning in a hash map, held in memory.
    std::unordered_map<std::string, WordMeaning> meaningMap;
    std::vector<QString> queries;
    std::vector<std::string> referenceQueries;

    Fixture()
    {
        QDir::setCurrent(folder.path());
        dictionary = std::make_unique<TDictn>();
        levels = std::make_unique<WordLevels>(*dictionary);

        QFile resource(TDictn::kDefaultResource);
        resource.open(QIODevice::ReadOnly);
        const QByteArray data = resource.readAll();
        for (qsizetype at = 0; at + 15 <= data.size(); at += 15)
            words.push_back(data.mid(at + 1, 14).trimmed().toStdString());
        for (std::size_t i = 0; i < words.size(); ++i) {
            wordLevels.push_back(levels->levelOf(qint64(i)));
            meaningMap.emplace(words[i], meanings.lookup(QByteArray::fromStdString(words[i])));
        }

        // Every 97th word, each followed by a near miss that is not in the list.
        const auto present = [this](const std::string &word) {
            return std::binary_search(words.begin(), words.end(), word);
        };
        for (size_t i = 0; i < words.size(); i += 97) {
            const std::string &word = words[i];
            std::string miss = word;
            miss.back() = miss.back() == 'Q' ? 'X' : 'Q';
            if (present(miss))
                miss += "QX";
            for (const std::string &query : {word, miss}) {
                referenceQueries.push_back(query);
                queries.push_back(QString::fromStdString(query));
            }
        }
    }
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

void FindWord(benchmark::State &state)
{
    const Fixture &f = fixture();
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.dictionary->FindWord(f.queries[next]));
        next = next + 1 == f.queries.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void VectorBinarySearch(benchmark::State &state)
{
    const Fixture &f = fixture();
    size_t next = 0;
    for (auto _ : state) {
        const std::string &query = f.referenceQueries[next];
        const auto at = std::lower_bound(f.words.begin(), f.words.end(), query);
        benchmark::DoNotOptimize(at != f.words.end() && *at == query ? at - f.words.begin() : -1);
        next = next + 1 == f.referenceQueries.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(FindWord);
BENCHMARK(VectorBinarySearch);

// The largest ranges of the shipped list: "S" for one letter (12,471 words),
// "CON" for three (1,572).
const char *const kBeginnings[] = {"S", "CON"};

// Every word with the beginning, as the dictionary walks them in the mapped file.
void WalkPrefix(benchmark::State &state)
{
    const Fixture &f = fixture();
    const QString prefix = QString::fromLatin1(kBeginnings[state.range(0)]);
    std::size_t words = 0;
    for (auto _ : state) {
        words = 0;
        std::size_t letters = 0;
        f.dictionary->forEachWithPrefix(prefix, [&](QByteArrayView word) {
            ++words;
            letters += static_cast<std::size_t>(word.size());
        });
        benchmark::DoNotOptimize(letters);
    }
    state.SetLabel(kBeginnings[state.range(0)]);
    state.counters["words"] = static_cast<double>(words);
}

// The same range found in the list held in memory: std::lower_bound, then a walk.
void VectorPrefixWalk(benchmark::State &state)
{
    const Fixture &f = fixture();
    const std::string prefix = kBeginnings[state.range(0)];
    std::size_t words = 0;
    for (auto _ : state) {
        words = 0;
        std::size_t letters = 0;
        for (auto at = std::lower_bound(f.words.begin(), f.words.end(), prefix);
             at != f.words.end() && at->starts_with(prefix); ++at) {
            if (at != f.words.begin() && *at == at[-1])
                continue;
            ++words;
            letters += at->size();
        }
        benchmark::DoNotOptimize(letters);
    }
    state.SetLabel(kBeginnings[state.range(0)]);
    state.counters["words"] = static_cast<double>(words);
}

// The same range by looking at every word of the list held in memory.
void VectorFullScan(benchmark::State &state)
{
    const Fixture &f = fixture();
    const std::string prefix = kBeginnings[state.range(0)];
    for (auto _ : state) {
        std::size_t letters = 0;
        for (const std::string &word : f.words)
            if (word.starts_with(prefix))
                letters += word.size();
        benchmark::DoNotOptimize(letters);
    }
    state.SetLabel(kBeginnings[state.range(0)]);
}

// The whole review of a round with that beginning and no length rule, in
// which two players found a few words between them.
void BuildRoundReview(benchmark::State &state)
{
    const Fixture &f = fixture();
    RoundPlay play;
    play.round = 1;
    play.rule = {kBeginnings[state.range(0)], 0};
    play.myseat = 1;
    int seat = 1;
    f.dictionary->forEachWithPrefix(
        QString::fromLatin1(play.rule.prefix), [&](QByteArrayView word) {
            if (play.found[seat].size() < 20)
                play.found[seat].append({word.toByteArray(), static_cast<int>(word.size())});
            seat = 3 - seat;
            return play.found[1].size() + play.found[2].size() < 40;
        });
    qsizetype missed = 0;
    for (auto _ : state) {
        const RoundReview review = buildRoundReview(play, *f.dictionary, *f.levels);
        missed = review.missed.size();
        benchmark::DoNotOptimize(review.longest.points);
    }
    state.SetLabel(kBeginnings[state.range(0)]);
    state.counters["missed"] = static_cast<double>(missed);
}

// The reference for the review's order: the words with the beginning picked
// from the list in memory and sorted common first, then longest first.
void VectorCommonFirst(benchmark::State &state)
{
    const Fixture &f = fixture();
    const std::string prefix = kBeginnings[state.range(0)];
    std::size_t missed = 0;
    for (auto _ : state) {
        std::vector<std::pair<const std::string *, bool>> picked;
        for (std::size_t i = 0; i < f.words.size(); ++i)
            if (f.words[i].starts_with(prefix))
                picked.emplace_back(&f.words[i], WordLevels::isCommon(f.wordLevels[i]));
        std::sort(picked.begin(), picked.end(), [](const auto &a, const auto &b) {
            if (a.second != b.second)
                return a.second;
            if (a.first->size() != b.first->size())
                return a.first->size() > b.first->size();
            return *a.first < *b.first;
        });
        missed = picked.size();
        benchmark::DoNotOptimize(picked.data());
    }
    state.SetLabel(kBeginnings[state.range(0)]);
    state.counters["missed"] = static_cast<double>(missed);
}

// A word's meaning from the unpacked resource (the first lookup unpacks it,
// before the timing).
void MeaningLookup(benchmark::State &state)
{
    const Fixture &f = fixture();
    size_t next = 0;
    for (auto _ : state) {
        const WordMeaning meaning = f.meanings.lookup(f.referenceQueries[next]);
        benchmark::DoNotOptimize(meaning.senses.size());
        next = next + 1 == f.referenceQueries.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void MapMeaningLookup(benchmark::State &state)
{
    const Fixture &f = fixture();
    size_t next = 0;
    for (auto _ : state) {
        const auto found = f.meaningMap.find(f.referenceQueries[next]);
        const WordMeaning meaning = found == f.meaningMap.end() ? WordMeaning{} : found->second;
        benchmark::DoNotOptimize(meaning.senses.size());
        next = next + 1 == f.referenceQueries.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

// Unpacking the meanings resource, which the first lookup of a run pays.
void MeaningsUnpack(benchmark::State &state)
{
    for (auto _ : state) {
        const WordMeanings meanings;
        benchmark::DoNotOptimize(meanings.size());
    }
}

BENCHMARK(WalkPrefix)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(VectorPrefixWalk)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(VectorFullScan)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildRoundReview)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(VectorCommonFirst)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(MeaningLookup);
BENCHMARK(MapMeaningLookup);
BENCHMARK(MeaningsUnpack)->Unit(benchmark::kMillisecond);

// Prints the usual table, then the ratio of the two per-lookup times.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::pair<double, double>> nanoseconds; // real, CPU

    RatioReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration)
                nanoseconds[run.benchmark_name()] = {run.GetAdjustedRealTime(),
                                                     run.GetAdjustedCPUTime()};
    }
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const Fixture &f = fixture();
    std::printf("list: %zu records, sample: %zu queries (half present)\n", f.words.size(),
                f.queries.size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto file = reporter.nanoseconds.find("FindWord");
    const auto memory = reporter.nanoseconds.find("VectorBinarySearch");
    if (file != reporter.nanoseconds.end() && memory != reporter.nanoseconds.end()) {
        const auto [fileReal, fileCpu] = file->second;
        const auto [memoryReal, memoryCpu] = memory->second;
        std::printf("per lookup: FindWord %.1f ns real, %.1f ns CPU; in-memory search %.1f ns "
                    "real, %.1f ns CPU; ratio %.2f real, %.2f CPU\n",
                    fileReal, fileCpu, memoryReal, memoryCpu, fileReal / memoryReal,
                    fileCpu / memoryCpu);
    }
    benchmark::Shutdown();
    return 0;
}
