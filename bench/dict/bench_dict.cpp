// Word lookups in the dictionary's record file next to a binary search of the
// same list held in memory as std::vector<std::string>, in one run.

#include "dict/tdictn.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Fixture {
    QTemporaryDir folder;
    std::unique_ptr<TDictn> dictionary;
    std::vector<std::string> words;
    std::vector<QString> queries;
    std::vector<std::string> referenceQueries;

    Fixture()
    {
        QDir::setCurrent(folder.path());
        dictionary = std::make_unique<TDictn>();

        QFile resource(TDictn::kDefaultResource);
        resource.open(QIODevice::ReadOnly);
        const QByteArray data = resource.readAll();
        for (qsizetype at = 0; at + 15 <= data.size(); at += 15)
            words.push_back(data.mid(at + 1, 14).trimmed().toStdString());

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
