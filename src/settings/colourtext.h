#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Colours travel in chat lines and in the settings file as text: a colour
// name ("clRed", "clBtnFace", "clNone"), "$" and hexadecimal digits of the
// value 00BBGGRR, or the same value in decimal.

// A colour as the text names it: a plain colour, one of the system colours
// (which this machine's palette gives, see widgets/colourpalette.h), or no
// colour at all.
struct ColourValue {
    enum class Kind { Rgb, System, None };
    Kind kind = Kind::None;
    // Rgb: 00BBGGRR; System: the index in the system colour numbering.
    quint32 value = 0;

    // A plain colour of the three components 0..255.
    static ColourValue rgb(int red, int green, int blue);
    // The system colour of the given index (0x800000nn in numeric form).
    static ColourValue system(quint32 index);
    // The components of a plain colour.
    int red() const { return int(value & 0xFF); }
    int green() const { return int((value >> 8) & 0xFF); }
    int blue() const { return int((value >> 16) & 0xFF); }
    bool operator==(const ColourValue &) const = default;
};

// The text form: the name when the colour is one of the sixteen named
// colours, otherwise "$" and eight upper-case digits in the order 00 BB GG RR;
// a system colour gives its name and no colour "clNone".
QString colourToText(const ColourValue &colour);

// Reads a colour text; names are compared without regard to letter case.
// Unreadable text gives nullopt.
std::optional<ColourValue> textToColour(const QString &text);
