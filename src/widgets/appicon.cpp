#include "widgets/appicon.h"

#include "common/paths.h"

QIcon applicationIcon()
{
    QIcon shipped;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        shipped.addFile(
            QStringLiteral(":/icons/%1/%2.png").arg(size).arg(QLatin1String(kApplicationId)),
            QSize(size, size));
    return QIcon::fromTheme(QString::fromLatin1(kApplicationId), shipped);
}
