#pragma once

#include <QString>

// The application id of the installed program: the name of its desktop entry,
// its AppStream metadata and its icon.
inline constexpr char kApplicationId[] = "example.lexiclash.Lexiclash";

// Folder of the settings file and the tally file: dataFolderFor(programFolder()).
QString dataFolder();
// Folder of the settings and tally files for a program in PROGRAM: LEXICLASH_HOME
// when set; else PROGRAM when a file can be created there and it is not an
// installed copy (one whose ../share/applications holds the program's desktop
// entry); else the XDG config folder's lexiclash/ (honouring XDG_CONFIG_HOME).
// The folder is created when missing.
QString dataFolderFor(const QString &program);
// The folder that holds the running program file.
QString programFolder();
// The folder of the program's own working files (the word list, the tally's
// text): XDG_RUNTIME_DIR when it exists, else the temporary folder.
QString scratchFolder();
