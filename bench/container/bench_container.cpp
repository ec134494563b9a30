// The container's LZRW1/KH block coder against LZ4 (default level) and zlib
// (level 1) on the same inputs in one run: speed in MB/s and compression ratio.
// At the end the coder's speed is given as a multiple of zlib level 1's.

#include "common/random.h"
#include "tally/lzrw1kh.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <QByteArray>
#include <QFile>
#include <QList>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<quint8>;

// One word per line: the system's word list, or else the game's own word
// list, whose 15-byte records are padded with blanks and control bytes.
Bytes wordList()
{
    QFile words(QStringLiteral("/usr/share/dict/words"));
    if (words.open(QIODevice::ReadOnly)) {
        const QByteArray text = words.readAll();
        return Bytes(text.begin(), text.end());
    }
    QFile records(QStringLiteral(LEXICLASH_SOURCE_DIR "/resources/dict/English.dat"));
    if (!records.open(QIODevice::ReadOnly))
        throw std::runtime_error("no word list: neither /usr/share/dict/words nor English.dat");
    const QByteArray all = records.readAll();
    Bytes text;
    for (qsizetype at = 0; at + 15 <= all.size(); at += 15) {
        for (const char c : all.mid(at, 15)) {
            if (quint8(c) > ' ')
                text.push_back(quint8(c));
        }
        text.push_back('\n');
    }
    return text;
}

Bytes repeatedTo(const Bytes &text, size_t size)
{
    Bytes out;
    out.reserve(size);
    while (out.size() < size)
        out.insert(out.end(), text.begin(),
                   text.begin() + std::ptrdiff_t(std::min(text.size(), size - out.size())));
    return out;
}

Bytes randomBytes(size_t size)
{
    Random::seed(1);
    Bytes out(size);
    for (quint8 &b : out)
        b = quint8(Random::below(256));
    return out;
}

// Codes the whole buffer block by block, each payload after its 2-byte length,
// as the container lays them out.
size_t lzrwCompress(const Bytes &in, Bytes &out, std::vector<quint16> &hash)
{
    size_t at = 0;
    size_t y = 0;
    do {
        const int n = int(std::min<size_t>(kLzrwBlockSize, in.size() - at));
        const int length = lzrw1khCompress(in.data() + at, n, out.data() + y + 2, hash.data());
        out[y] = quint8(length);
        out[y + 1] = quint8(length >> 8);
        y += 2 + size_t(length);
        at += size_t(n);
        if (n < kLzrwBlockSize)
            break;
    } while (true);
    return y;
}

size_t lzrwDecompress(const Bytes &in, size_t size, Bytes &out)
{
    size_t at = 0;
    size_t y = 0;
    while (at + 2 <= size) {
        const int length = in[at] | (in[at + 1] << 8);
        const int n = lzrw1khDecompress(in.data() + at + 2, length, out.data() + y);
        if (n < 0)
            throw std::runtime_error("corrupt block");
        y += size_t(n);
        at += 2 + size_t(length);
        if (n < kLzrwBlockSize)
            break;
    }
    return y;
}

struct Codec {
    std::string name;
    size_t bound;
    std::function<size_t(const Bytes &, Bytes &)> compress;
    std::function<size_t(const Bytes &, size_t, Bytes &)> decompress;
};

std::vector<Codec> codecs(size_t inputSize)
{
    const size_t blocks = inputSize / kLzrwBlockSize + 1;
    auto hash = std::make_shared<std::vector<quint16>>(kLzrwHashSize);
    return {
        {"lzrw1kh", inputSize + blocks * 16,
         [hash](const Bytes &in, Bytes &out) { return lzrwCompress(in, out, *hash); },
         [](const Bytes &in, size_t size, Bytes &out) { return lzrwDecompress(in, size, out); }},
        {"lz4", size_t(LZ4_compressBound(int(inputSize))),
         [](const Bytes &in, Bytes &out) {
             return size_t(LZ4_compress_default(reinterpret_cast<const char *>(in.data()),
                                                reinterpret_cast<char *>(out.data()),
                                                int(in.size()), int(out.size())));
         },
         [](const Bytes &in, size_t size, Bytes &out) {
             const int n = LZ4_decompress_safe(reinterpret_cast<const char *>(in.data()),
                                               reinterpret_cast<char *>(out.data()), int(size),
                                               int(out.size()));
             if (n < 0)
                 throw std::runtime_error("lz4 failed");
             return size_t(n);
         }},
        {"zlib1", size_t(compressBound(uLong(inputSize))),
         [](const Bytes &in, Bytes &out) {
             uLongf length = uLongf(out.size());
             if (compress2(out.data(), &length, in.data(), uLong(in.size()), 1) != Z_OK)
                 throw std::runtime_error("zlib failed");
             return size_t(length);
         },
         [](const Bytes &in, size_t size, Bytes &out) {
             uLongf length = uLongf(out.size());
             if (uncompress(out.data(), &length, in.data(), uLong(size)) != Z_OK)
                 throw std::runtime_error("zlib failed");
             return size_t(length);
         }},
    };
}

void registerInput(const std::string &inputName, const Bytes &input)
{
    for (const Codec &codec : codecs(input.size())) {
        auto packed = std::make_shared<Bytes>(codec.bound);
        const size_t packedSize = codec.compress(input, *packed);
        Bytes check(input.size() + kLzrwBlockSize);
        if (codec.decompress(*packed, packedSize, check) != input.size() ||
            std::memcmp(check.data(), input.data(), input.size()) != 0)
            throw std::runtime_error(codec.name + " does not round-trip " + inputName);
        const double ratio = double(input.size()) / double(packedSize);
        benchmark::RegisterBenchmark(("compress/" + inputName + "/" + codec.name).c_str(),
                                     [codec, input, ratio](benchmark::State &state) {
                                         Bytes out(codec.bound);
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(codec.compress(input, out));
                                         state.SetBytesProcessed(std::int64_t(state.iterations()) *
                                                                 std::int64_t(input.size()));
                                         state.counters["ratio"] = ratio;
                                     })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("decompress/" + inputName + "/" + codec.name).c_str(),
            [codec, packed, packedSize, size = input.size(), ratio](benchmark::State &state) {
                Bytes out(size + kLzrwBlockSize);
                for (auto _ : state)
                    benchmark::DoNotOptimize(codec.decompress(*packed, packedSize, out));
                state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
                state.counters["ratio"] = ratio;
            })
            ->Unit(benchmark::kMillisecond);
    }
}

// Prints as usual, then the coder's speed on each input as a multiple of
// zlib level 1's, measured in this same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular)
    {
    }
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const auto speed = run.counters.find("bytes_per_second");
            if (speed != run.counters.end() && run.run_type == Run::RT_Iteration)
                speeds_[run.benchmark_name()] = speed->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nlzrw1kh speed as a multiple of zlib level 1 (same run):\n");
        for (const auto &[name, speed] : speeds_) {
            const std::string suffix = "/lzrw1kh";
            if (name.size() < suffix.size() ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string stem = name.substr(0, name.size() - suffix.size());
            const auto zlib = speeds_.find(stem + "/zlib1");
            if (zlib != speeds_.end())
                std::printf("  %-28s %5.2fx\n", stem.c_str(), speed / zlib->second);
        }
    }

private:
    std::map<std::string, double> speeds_;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const Bytes words = wordList();
    registerInput("words", words);
    registerInput("text10MB", repeatedTo(words, 10 * 1024 * 1024));
    registerInput("random1MB", randomBytes(1024 * 1024));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
