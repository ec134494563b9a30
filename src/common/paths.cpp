#include "common/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString dataFolder()
{
    const QString home = qEnvironmentVariable("LEXICLASH_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir(home).absolutePath();
    }
    const QString program = programFolder();
    if (QFileInfo(program).isWritable())
        return program;
    const QString config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/lexiclash";
    QDir().mkpath(config);
    return config;
}

QString scratchFolder()
{
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QFileInfo(session).isDir())
        return session;
    return QDir::tempPath();
}

QString scratchPath(const QString &base)
{
    return scratchFolder() + QLatin1Char('/') + base + QLatin1Char('-') +
           QString::number(::getpid());
}
