#pragma once

#include "settings/colourtext.h"

#include <QColor>
#include <QString>

#include <optional>

// The colour text (settings/colourtext.h) for the windows: system colours
// become this machine's own colours from the application palette.

// The colour a colour value stands for; no colour gives an invalid QColor.
QColor toQColor(const ColourValue &colour);
// The plain colour value of a QColor.
ColourValue fromQColor(const QColor &colour);
// The text form of a QColor: a named colour's name or "$00BBGGRR".
QString colourToText(const QColor &colour);
// Reads a colour text into a QColor; system colour names give this machine's
// own colours, "clNone" an invalid QColor; unreadable text gives nullopt.
std::optional<QColor> textToQColor(const QString &text);
