#include "dialogs/tgamestart.h"

Tgamestart::Tgamestart(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Lexiclash - Game Start"));
}
