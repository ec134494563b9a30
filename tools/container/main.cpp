// lexiclash-container: turns a file into a compressed container (the format of
// the tally file) and back.

#include "tally/tlzrw1.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void printUsage(FILE *to)
{
    std::fputs("Usage: lexiclash-container compress IN OUT\n"
               "       lexiclash-container decompress IN OUT\n"
               "Writes the file IN as a compressed container (LZRW1/KH) to OUT, or the\n"
               "contents of the container IN to OUT. OUT is replaced only on success.\n",
               to);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 &&
        (args[1] == QLatin1String("-h") || args[1] == QLatin1String("--help"))) {
        printUsage(stdout);
        return 0;
    }
    const bool compress = args.size() == 4 && args[1] == QLatin1String("compress");
    const bool decompress = args.size() == 4 && args[1] == QLatin1String("decompress");
    if (!compress && !decompress) {
        printUsage(stderr);
        return kExitUsage;
    }
    try {
        Tlzrw1 doit;
        doit.InputFile = args[2];
        doit.OutputFile = args[3];
        doit.CompressMode = TCompressMode::Fast;
        const qint64 written = compress ? doit.Compress() : doit.Decompress();
        std::printf("%lld bytes written to %s\n", static_cast<long long>(written),
                    qPrintable(doit.OutputFile));
        return 0;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailure;
    }
}
