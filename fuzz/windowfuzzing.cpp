#include "windowfuzzing.h"

#include "common/guard.h"
#include "common/messagebox.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

void startWindowFuzzing(const char *name)
{
    static int argc = 1;
    static char *argv[] = {const_cast<char *>(name), nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietMessages);
    static auto *folder = new QTemporaryDir;
    ::setenv("LEXICLASH_HOME", qPrintable(folder->path()), 1);
    static auto *application = new QApplication(argc, argv);
    Q_UNUSED(application);
    setErrorHandler([](const QString &) {});
    setMessageBoxHandler([](const QString &) {});
}
