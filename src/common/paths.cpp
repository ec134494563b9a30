#include "common/paths.h"

#include "common/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Tried by creating a file, not by the permission bits: those say nothing
// about read-only mounts, and the superuser passes every permission check.
bool canCreateFileIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".lexiclash-probe-XXXXXX")));
    return probe.open();
}

// An installed copy sits in PREFIX/bin beside PREFIX/share; its settings never
// go among the system's programs, even when the superuser runs it.
bool isInstalledCopy(const QString &program)
{
    const QString entry =
        QStringLiteral("/../share/applications/%1.desktop").arg(QLatin1String(kApplicationId));
    return QFileInfo::exists(program + entry);
}

} // namespace

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString dataFolder()
{
    return dataFolderFor(programFolder());
}

QString dataFolderFor(const QString &program)
{
    const QString home = qEnvironmentVariable("LEXICLASH_HOME");
    if (!home.isEmpty()) {
        makeFolder(home);
        return QDir(home).absolutePath();
    }
    if (!isInstalledCopy(program) && canCreateFileIn(program))
        return program;
    const QString config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/lexiclash";
    makeFolder(config);
    return config;
}

QString scratchFolder()
{
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QFileInfo(session).isDir())
        return session;
    return QDir::tempPath();
}
