#pragma once

#include <QColor>
#include <QString>

#include <optional>

// Colours travel in chat lines and in the settings file as text: a colour
// name ("clRed", "clBtnFace", "clNone"), "$" and hexadecimal digits of the
// value 00BBGGRR, or the same value in decimal.

// The text form: the name when the colour is one of the sixteen named
// colours, otherwise "$" and eight upper-case digits in the order 00 BB GG RR.
QString colourToText(const QColor &colour);

// Reads a colour text; names are compared without regard to letter case.
// System colour names give this machine's own colours; "clNone" gives an
// invalid QColor (no colour of its own). Unreadable text gives nullopt.
std::optional<QColor> textToColour(const QString &text);
