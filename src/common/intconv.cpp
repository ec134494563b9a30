#include "common/intconv.h"

#include "common/errors.h"

#include <limits>

bool tryStrToInt(QByteArrayView text, int &value)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i >= text.size())
        return false;
    // Accumulate as a negative number so that INT_MIN is reachable.
    long long acc = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        acc = acc * 10 - (c - '0');
        if (acc < std::numeric_limits<int>::min())
            return false;
    }
    if (!negative) {
        acc = -acc;
        if (acc > std::numeric_limits<int>::max())
            return false;
    }
    value = static_cast<int>(acc);
    return true;
}

int strToInt(QByteArrayView text)
{
    int value = 0;
    if (!tryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value")
                                .arg(QString::fromLatin1(text.data(), text.size())));
    return value;
}

int strToInt(const QString &text)
{
    int value = 0;
    const QByteArray utf8 = text.toUtf8();
    if (!tryStrToInt(utf8, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
