#pragma once

#include <QString>

// The user's runtime folder (XDG_RUNTIME_DIR, or a private folder under the
// temporary folder); created when missing.
QString runtimeFolder();
