#pragma once

#include <QString>

// The sign that a game is running, for other programs (the lobby) to see: a
// shared lock on the file "lexiclash" in the user's runtime folder, held for
// as long as this object lives. Every running copy holds it; a program that
// cannot take an exclusive lock on the file knows a game is running.
class RunningMarker {
public:
    RunningMarker();
    ~RunningMarker();
    RunningMarker(const RunningMarker &) = delete;
    RunningMarker &operator=(const RunningMarker &) = delete;

    // The marker file's path.
    static QString path();
    // True while some copy of the game holds the marker.
    static bool gameRunning();

private:
    int fd_ = -1;
};
