#include "common/infooption.h"

#include "common/version.h"

#include <cstdio>
#include <cstring>

bool printInfoOption(int argc, const char *const *argv, const char *program, const QString &help)
{
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", program, kVersionText);
        return true;
    }
    return false;
}
