// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/DecimalText.h"

std::optional<qint32> parseDecimalInteger(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative ? text.mid(1) : text;
    if (digits.isEmpty())
        return std::nullopt;

    const qint64 limit = negative ? qint64(2147483648) : qint64(2147483647);
    qint64 value = 0;
    for (const QChar c : digits) {
        // QChar::isDigit would also take other scripts' digits; only 0-9 count.
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return qint32(negative ? -value : value);
}

qint32 addToMask(qint32 mask, qint32 value)
{
    return qint32(quint32(mask) + quint32(value));
}

qint32 subtractFromMask(qint32 mask, qint32 value)
{
    return qint32(quint32(mask) - quint32(value));
}

qint32 maskAsTheGameSeesIt(qint32 mask)
{
    // Through 64 bits, because 2^31 is a float but no 32-bit integer; the
    // game's own conversion ends with those 32 bits.
    return qint32(quint32(qint64(static_cast<float>(mask))));
}

std::optional<QString> maskTextAfterMove(QStringView maskText, qint32 value, bool adding)
{
    const std::optional<qint32> mask = parseDecimalInteger(maskText);
    if (!mask)
        return std::nullopt;
    return QString::number(adding ? addToMask(*mask, value) : subtractFromMask(*mask, value));
}
