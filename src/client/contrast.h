#pragma once

#include <QColor>

// Relative luminance of an opaque colour (sRGB, as WCAG defines it), 0 to 1.
double relativeLuminance(const QColor &colour);
// The contrast ratio of two opaque colours, from 1 (same) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);
// background, darkened in small steps until text on it reaches ratio; the hue
// is kept, so a seat's panel stays recognisably the seat's colour.
QColor darkenedFor(const QColor &background, const QColor &text, double ratio);
