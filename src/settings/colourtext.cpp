#include "settings/colourtext.h"

#include "common/intconv.h"

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

// The system colours in the numbering of the colour value's low byte, so a
// numeric system colour (0x800000nn) finds its entry by index.
const std::array<const char *, 25> kSystem = {{
    "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
    "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
    "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
    "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
    "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
    "clInfoBk",
}};

constexpr quint32 kSystemFlag = 0x80000000u;
constexpr quint32 kNoneValue = 0x1FFFFFFFu;

// A colour value as the colour text stores it: 00BBGGRR, with the high byte
// marking system colours (0x80) and no colour (0x1FFFFFFF).
std::optional<ColourValue> colourFromValue(quint32 value)
{
    if (value == kNoneValue)
        return ColourValue();
    if ((value & 0xFF000000u) == kSystemFlag) {
        const quint32 index = value & 0x00FFFFFFu;
        if (index >= kSystem.size())
            return std::nullopt;
        return ColourValue::system(index);
    }
    // Palette-relative forms (high byte 1 or 2) carry the same RGB below it.
    if ((value & 0xFC000000u) != 0)
        return std::nullopt;
    return ColourValue{ColourValue::Kind::Rgb, value & 0x00FFFFFFu};
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

ColourValue ColourValue::rgb(int red, int green, int blue)
{
    return {Kind::Rgb,
            quint32(blue & 0xFF) << 16 | quint32(green & 0xFF) << 8 | quint32(red & 0xFF)};
}

ColourValue ColourValue::system(quint32 index)
{
    return {Kind::System, index};
}

QString colourToText(const ColourValue &colour)
{
    if (colour.kind == ColourValue::Kind::None)
        return QStringLiteral("clNone");
    if (colour.kind == ColourValue::Kind::System && colour.value < kSystem.size())
        return QString::fromLatin1(kSystem[colour.value]);
    for (const NamedColour &named : kNamed) {
        if (colour.red() == named.red && colour.green() == named.green &&
            colour.blue() == named.blue)
            return QString::fromLatin1(named.name);
    }
    const quint32 value = colour.value & 0x00FFFFFFu;
    return QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<ColourValue> textToColour(const QString &text)
{
    for (const NamedColour &named : kNamed) {
        if (text.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return ColourValue::rgb(named.red, named.green, named.blue);
    }
    for (quint32 index = 0; index < kSystem.size(); ++index) {
        if (text.compare(QLatin1String(kSystem[index]), Qt::CaseInsensitive) == 0)
            return ColourValue::system(index);
    }
    if (text.compare(QLatin1String("clNone"), Qt::CaseInsensitive) == 0)
        return ColourValue();

    if (text.startsWith(QLatin1Char('$'))) {
        const auto value = readHex(text.mid(1));
        return value ? colourFromValue(*value) : std::nullopt;
    }
    int value = 0;
    if (!tryStrToInt(text.toLatin1(), value))
        return std::nullopt;
    return colourFromValue(quint32(value));
}
