#pragma once

// Installs the program's real message box (a modal QMessageBox titled
// "Lexiclash") and the general error handler, which shows the error's message
// in that box and lets the program carry on.
void installUiHandlers();
