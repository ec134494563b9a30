#include "client/colourtext.h"

#include "common/intconv.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace {

struct NamedColour {
    const char *name;
    int red;
    int green;
    int blue;
};

const std::array<NamedColour, 16> kNamed = {{
    {"clBlack", 0, 0, 0},
    {"clMaroon", 128, 0, 0},
    {"clGreen", 0, 128, 0},
    {"clOlive", 128, 128, 0},
    {"clNavy", 0, 0, 128},
    {"clPurple", 128, 0, 128},
    {"clTeal", 0, 128, 128},
    {"clGray", 128, 128, 128},
    {"clSilver", 192, 192, 192},
    {"clRed", 255, 0, 0},
    {"clLime", 0, 255, 0},
    {"clYellow", 255, 255, 0},
    {"clBlue", 0, 0, 255},
    {"clFuchsia", 255, 0, 255},
    {"clAqua", 0, 255, 255},
    {"clWhite", 255, 255, 255},
}};

struct SystemColour {
    const char *name;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours in the numbering of the colour value's low byte, so a
// numeric system colour (0x800000nn) finds its entry by index.
const std::array<SystemColour, 25> kSystem = {{
    {"clScrollBar", QPalette::Active, QPalette::Button},
    {"clBackground", QPalette::Active, QPalette::Window},
    {"clActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clInactiveCaption", QPalette::Inactive, QPalette::Mid},
    {"clMenu", QPalette::Active, QPalette::Window},
    {"clWindow", QPalette::Active, QPalette::Base},
    {"clWindowFrame", QPalette::Active, QPalette::Shadow},
    {"clMenuText", QPalette::Active, QPalette::WindowText},
    {"clWindowText", QPalette::Active, QPalette::Text},
    {"clCaptionText", QPalette::Active, QPalette::HighlightedText},
    {"clActiveBorder", QPalette::Active, QPalette::Window},
    {"clInactiveBorder", QPalette::Inactive, QPalette::Window},
    {"clAppWorkSpace", QPalette::Active, QPalette::Dark},
    {"clHighlight", QPalette::Active, QPalette::Highlight},
    {"clHighlightText", QPalette::Active, QPalette::HighlightedText},
    {"clBtnFace", QPalette::Active, QPalette::Button},
    {"clBtnShadow", QPalette::Active, QPalette::Dark},
    {"clGrayText", QPalette::Disabled, QPalette::Text},
    {"clBtnText", QPalette::Active, QPalette::ButtonText},
    {"clInactiveCaptionText", QPalette::Disabled, QPalette::WindowText},
    {"clBtnHighlight", QPalette::Active, QPalette::Light},
    {"cl3DDkShadow", QPalette::Active, QPalette::Shadow},
    {"cl3DLight", QPalette::Active, QPalette::Midlight},
    {"clInfoText", QPalette::Active, QPalette::ToolTipText},
    {"clInfoBk", QPalette::Active, QPalette::ToolTipBase},
}};

constexpr quint32 kSystemFlag = 0x80000000u;
constexpr quint32 kNoneValue = 0x1FFFFFFFu;

QColor systemColour(const SystemColour &entry)
{
    return QGuiApplication::palette().color(entry.group, entry.role);
}

// A colour value as the colour text stores it: 00BBGGRR, with the high byte
// marking system colours (0x80) and no colour (0x1FFFFFFF).
std::optional<QColor> colourFromValue(quint32 value)
{
    if (value == kNoneValue)
        return QColor();
    if ((value & 0xFF000000u) == kSystemFlag) {
        const quint32 index = value & 0x00FFFFFFu;
        if (index >= kSystem.size())
            return std::nullopt;
        return systemColour(kSystem[index]);
    }
    // Palette-relative forms (high byte 1 or 2) carry the same RGB below it.
    if ((value & 0xFC000000u) != 0)
        return std::nullopt;
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

std::optional<quint32> readHex(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    for (const QChar c : digits) {
        // Only ASCII hexadecimal digits; a character outside unsigned char's
        // range must never reach the C library's classification.
        const char16_t u = c.unicode();
        const bool digit =
            (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!digit)
            return std::nullopt;
    }
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QString colourToText(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    for (const NamedColour &named : kNamed) {
        if (rgb.red() == named.red && rgb.green() == named.green && rgb.blue() == named.blue)
            return QString::fromLatin1(named.name);
    }
    const quint32 value =
        quint32(rgb.blue()) << 16 | quint32(rgb.green()) << 8 | quint32(rgb.red());
    return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<QColor> textToColour(const QString &text)
{
    for (const NamedColour &named : kNamed) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return QColor(named.red, named.green, named.blue);
    }
    for (const SystemColour &entry : kSystem) {
        if (text.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return systemColour(entry);
    }
    if (text.compare(QLatin1String("clNone"), Qt::CaseInsensitive) == 0)
        return QColor();

    if (text.startsWith(QLatin1Char('$'))) {
        const auto value = readHex(text.mid(1));
        return value ? colourFromValue(*value) : std::nullopt;
    }
    int value = 0;
    if (!tryStrToInt(text.toLatin1(), value))
        return std::nullopt;
    return colourFromValue(quint32(value));
}
