#pragma once

// How a copy of the game ended, told by its exit code to the lobby that
// started it. Codes other than these are failures of the copy itself.
enum class GameExit : int {
    // The player closed the game, or the game ended as usual.
    Closed = 0,
    // The copy could not run (no word list file, a port taken, ...).
    Failed = 1,
    // A joined copy whose host closed the game on purpose.
    HostEnded = 3,
    // A joined copy whose host vanished without closing the game.
    HostLeft = 4,
    // A joined copy that could not come back to its seat in time after its
    // connection dropped (or was refused it).
    SeatGone = 5,
    // A joined copy whose player the host removed.
    Removed = 6,
};
