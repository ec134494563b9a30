#include "common/runtimefolder.h"

#include "common/files.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

QString runtimeFolder()
{
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!session.isEmpty() && QDir(session).exists())
        return session;
    // Without a session folder, one private folder per user under the temporary folder.
    const QString folder =
        QDir::tempPath() + QStringLiteral("/lexiclash-") + QString::number(::getuid());
    makeFolder(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}
