// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/OutsideText.h"

#include <QStringDecoder>

namespace {

void appendEscaped(QString &text, uint code)
{
    static const char digits[] = "0123456789abcdef";
    text.append(u'\\');
    text.append(u'x');
    text.append(QLatin1Char(digits[(code >> 4) & 0xf]));
    text.append(QLatin1Char(digits[code & 0xf]));
}

// The one escaping of text: each control character as \xNN and, between
// quotes, a backslash before each backslash and double quote of its own, so
// that neither ends the quotes nor reads as an escape.
QString escaped(QStringView text, bool betweenQuotes)
{
    const auto changed = [betweenQuotes](char16_t c) {
        return isControlCharacter(c) || (betweenQuotes && (c == u'\\' || c == u'"'));
    };
    qsizetype clean = 0;
    while (clean < text.size() && !changed(text[clean].unicode()))
        ++clean;
    if (clean == text.size())
        return text.toString();
    QString shown;
    shown.reserve(text.size() + 8);
    shown.append(text.first(clean));
    for (const QChar c : text.sliced(clean)) {
        if (isControlCharacter(c.unicode())) {
            appendEscaped(shown, c.unicode());
            continue;
        }
        if (changed(c.unicode()))
            shown.append(u'\\');
        shown.append(c);
    }
    return shown;
}

} // namespace

QString printable(QStringView text)
{
    return escaped(text, false);
}

QString printableBetweenQuotes(QStringView text)
{
    return escaped(text, true);
}

QString printable(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f)
            text.append(QLatin1Char(c));
        else
            appendEscaped(text, byte);
    }
    return text;
}

QString printableCut(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return printable(text);
    qsizetype kept = limit;
    if (kept > 0 && text[kept - 1].isHighSurrogate())
        --kept; // never half a character
    return printable(text.first(kept)) +
           QStringLiteral("... (%1 bytes more left out)").arg(text.sliced(kept).toUtf8().size());
}

QString printableLine(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? printable(bytes) : printable(QStringView(text));
}

QByteArray printableLines(QByteArrayView bytes)
{
    QByteArray shown;
    shown.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView line = end < 0 ? bytes : bytes.first(end);
        shown += printableLine(line).toUtf8();
        if (end >= 0)
            shown += '\n';
        bytes = end < 0 ? QByteArrayView() : bytes.sliced(end + 1);
    }
    return shown;
}

QByteArray printableJson(const QByteArray &json)
{
    // The writer escapes C0 itself; DEL is one byte, C1 two (C2 80 to C2 9F).
    qsizetype first = 0;
    while (first < json.size() && json[first] != '\x7f' &&
           !(json[first] == '\xc2' && first + 1 < json.size() && quint8(json[first + 1]) >= 0x80 &&
             quint8(json[first + 1]) < 0xa0))
        ++first;
    if (first == json.size())
        return json;
    QByteArray shown = json.first(first);
    for (qsizetype i = first; i < json.size(); ++i) {
        const auto byte = quint8(json[i]);
        if (byte == 0x7f) {
            shown += "\\u007f";
        } else if (byte == 0xc2 && i + 1 < json.size() && quint8(json[i + 1]) >= 0x80 &&
                   quint8(json[i + 1]) < 0xa0) {
            shown += "\\u00" + QByteArray::number(quint8(json[i + 1]), 16);
            ++i;
        } else {
            shown += char(byte);
        }
    }
    return shown;
}
