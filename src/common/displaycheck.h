#pragma once

// Guards the making of the application object of a program with windows:
// while it lives, Qt's fatal message (raised there only when no window
// system can be reached) ends the process with "PROGRAM: cannot open the
// display" on standard error and exit code 1, instead of an abort. Other
// messages pass on as before.
class DisplayCheck {
public:
    // program: the name the message starts with; must outlive this object.
    explicit DisplayCheck(const char *program);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;
};
