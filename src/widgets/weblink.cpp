#include "widgets/weblink.h"

#include <array>

namespace {

const std::array<QLatin1String, 8> kPrefixes = {
    QLatin1String("http://"),   QLatin1String("ftp://"),    QLatin1String("file://"),
    QLatin1String("gopher://"), QLatin1String("telnet://"), QLatin1String("news:"),
    QLatin1String("mailto:"),   QLatin1String("www."),
};

bool endsToken(QChar c)
{
    // The pane stores line ends as paragraph separators; treat them as line feeds.
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
           c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

bool keepsAtEnd(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'/' && u <= u'9') || (u >= u'a' && u <= u'z');
}

} // namespace

WebAddress webAddressAt(const QString &text, qsizetype position)
{
    if (position < 0 || position >= text.size() || endsToken(text.at(position)))
        return {};
    qsizetype first = position;
    while (first > 0 && !endsToken(text.at(first - 1)))
        --first;
    qsizetype last = position + 1;
    while (last < text.size() && !endsToken(text.at(last)))
        ++last;

    const QString token = text.mid(first, last - first);
    const QString lower = token.toLower();
    for (const QLatin1String &prefix : kPrefixes) {
        const qsizetype at = lower.indexOf(prefix);
        if (at < 0)
            continue;
        qsizetype end = lower.size();
        while (end > at && !keepsAtEnd(lower.at(end - 1)))
            --end;
        if (end - at <= prefix.size())
            return {};
        return {first + at, end - at, token.mid(at, end - at)};
    }
    return {};
}
