// lexiclash-container: turns a file into a compressed container (the format of
// the tally file) and back.

#include "common/infooption.h"
#include "tally/tlzrw1.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] = "Usage: lexiclash-container compress IN OUT\n"
                          "       lexiclash-container decompress IN OUT\n"
                          "       lexiclash-container -h | --help | --version\n"
                          "Writes the file IN as a compressed container (LZRW1/KH) to OUT, or the\n"
                          "contents of the container IN to OUT. OUT is replaced only on success,\n"
                          "through a temporary file beside it; no other file is written.\n"
                          "Exit status: 0 on success, 1 when the operation failed, 2 for a wrong\n"
                          "command line.\n";

} // namespace

int main(int argc, char *argv[])
{
    if (printInfoOption(argc, argv, "lexiclash-container", QString::fromLatin1(kUsage)))
        return 0;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool compress = args.size() == 4 && args[1] == QLatin1String("compress");
    const bool decompress = args.size() == 4 && args[1] == QLatin1String("decompress");
    if (!compress && !decompress) {
        std::fputs(kUsage, stderr);
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
