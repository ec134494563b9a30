#pragma once

#include <QString>

// Folder of the settings file and the tally file: LEXICLASH_HOME when set,
// else the program's folder when it is writable, else ~/.config/lexiclash/.
// The folder is created when missing.
QString dataFolder();
// The folder that holds the running program file.
QString programFolder();
