#pragma once

#include <QString>

// The --help and --version answers of the programs. They run before any
// application object exists, so they need neither a display nor a socket.

// When the command line is exactly one "--help" (or "-h") or "--version",
// prints the help text or "PROGRAM VERSION" to standard output and returns
// true; else prints nothing and returns false.
bool printInfoOption(int argc, const char *const *argv, const char *program, const QString &help);
