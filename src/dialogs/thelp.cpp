#include "dialogs/thelp.h"

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Lexiclash - Help File"));
    resize(521, 422);
}
