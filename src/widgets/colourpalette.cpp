#include "widgets/colourpalette.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace {

struct PaletteEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette colour of each system colour, in the numbering of the colour
// value's low byte (clScrollBar, clBackground, ... clInfoBk).
const std::array<PaletteEntry, 25> kSystem = {{
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Inactive, QPalette::Mid},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Base},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::Text},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Window},
    {QPalette::Inactive, QPalette::Window},
    {QPalette::Active, QPalette::Dark},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Dark},
    {QPalette::Disabled, QPalette::Text},
    {QPalette::Active, QPalette::ButtonText},
    {QPalette::Disabled, QPalette::WindowText},
    {QPalette::Active, QPalette::Light},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::Midlight},
    {QPalette::Active, QPalette::ToolTipText},
    {QPalette::Active, QPalette::ToolTipBase},
}};

} // namespace

QColor toQColor(const ColourValue &colour)
{
    switch (colour.kind) {
    case ColourValue::Kind::None:
        return QColor();
    case ColourValue::Kind::System:
        if (colour.value >= kSystem.size())
            return QColor();
        return QGuiApplication::palette().color(kSystem[colour.value].group,
                                                kSystem[colour.value].role);
    case ColourValue::Kind::Rgb:
        break;
    }
    return QColor(colour.red(), colour.green(), colour.blue());
}

ColourValue fromQColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return ColourValue::rgb(rgb.red(), rgb.green(), rgb.blue());
}

QString colourToText(const QColor &colour)
{
    return colourToText(fromQColor(colour));
}

std::optional<QColor> textToQColor(const QString &text)
{
    const auto value = textToColour(text);
    if (!value)
        return std::nullopt;
    return toQColor(*value);
}
