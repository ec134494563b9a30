#pragma once

#include <QString>

// The text of "lexiclash --help": the launch modes and the environment variables.
QString lexiclashUsage();
