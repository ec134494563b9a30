#pragma once

#include <QString>

// Folder of the settings file and the tally file: LEXICLASH_HOME when set,
// else the program's folder when it is writable, else ~/.config/lexiclash/.
// The folder is created when missing.
QString dataFolder();
// The folder that holds the running program file.
QString programFolder();
// A folder for the program's own working files when the current folder
// cannot take them: XDG_RUNTIME_DIR when it exists, else the temporary folder.
QString scratchFolder();
// A name in scratchFolder() that no other running copy uses: base, "-" and
// the process id.
QString scratchPath(const QString &base);
