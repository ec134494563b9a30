#pragma once

// Installs the program's real message box (a modal QMessageBox titled
// "Lexiclash"), the general error handler, which shows the error's message
// in that box and lets the program carry on, and the notice handler, which
// shows its message in a box that nothing waits for.
void installUiHandlers();
// The program is ending: closes every modal message box now shown as its OK
// button would, deletes the notices, and from now on messages go to the log
// instead of a box.
void closeMessageBoxesForGood();
