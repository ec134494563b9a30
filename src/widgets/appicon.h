#pragma once

#include <QIcon>

// The programs' window icon: "example.lexiclash.Lexiclash" from the desktop's
// icon theme when the theme has it (an installed copy put it there), else the
// same icon at every size shipped inside the program.
QIcon applicationIcon();
