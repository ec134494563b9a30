#include "common/displaycheck.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

const char *checkedProgram = nullptr;
QtMessageHandler previousHandler = nullptr;

void displayMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        previousHandler(type, context, text);
        return;
    }
    std::fprintf(stderr, "%s: cannot open the display\n", checkedProgram);
    std::fflush(stderr);
    // The application object is half made: nothing of it may run on the way out.
    std::_Exit(1);
}

} // namespace

DisplayCheck::DisplayCheck(const char *program)
{
    checkedProgram = program;
    previousHandler = qInstallMessageHandler(displayMessage);
}

DisplayCheck::~DisplayCheck()
{
    qInstallMessageHandler(previousHandler);
}
