// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ApplyInput.h"

#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <algorithm>
#include <vector>

namespace {

// One object or list open around the scanner's place.
// One object or list open around the scanner's place. An object's keys are
// kept as a hash and a place in the input, and compared when it closes: an
// object of millions of keys costs sixteen bytes a key and one sort.
struct Frame
{
    bool object;
    std::vector<std::pair<size_t, qsizetype>> keys;
    qsizetype key = -1;  // the member being read: its key's opening quote
    qsizetype entry = 0; // the list's entries so far
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hex digits after "\u" at json[at], or -1.
int escapedUnit(QByteArrayView json, qsizetype at)
{
    if (json.size() - at < 4)
        return -1;
    int unit = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexDigit(json[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// A JSON text from its opening quote at json[at]: its end (past the closing
// quote), the text decoded when decoded is given, and the first lone
// surrogate with the line of the text it is on.
struct JsonText
{
    qsizetype end;
    qsizetype length = 0; // of the text as written, between its quotes
    bool escaped = false;
    int loneSurrogate = -1;
    int line = 1;
};

JsonText readText(QByteArrayView json, qsizetype at, QString *decoded)
{
    JsonText text{json.size()};
    qsizetype i = at + 1;
    qsizetype run = i; // raw bytes not yet decoded
    const auto flush = [&](qsizetype upTo) {
        if (decoded && upTo > run)
            decoded->append(QString::fromUtf8(json.sliced(run, upTo - run)));
    };
    while (i < json.size()) {
        const char c = json[i];
        if (c == '"') {
            flush(i);
            text.end = i + 1;
            text.length = i - at - 1;
            return text;
        }
        if (c != '\\') {
            ++i;
            continue;
        }
        flush(i);
        text.escaped = true;
        if (i + 1 >= json.size())
            break;
        const char kind = json[i + 1];
        i += 2;
        if (kind == 'u') {
            const int unit = escapedUnit(json, i);
            if (unit < 0)
                break;
            i += 4;
            int low = -1;
            if (QChar::isHighSurrogate(char16_t(unit)) && json.sliced(i).startsWith("\\u"))
                low = escapedUnit(json, i + 2);
            if (QChar::isHighSurrogate(char16_t(unit)) && low >= 0 && QChar::isLowSurrogate(char16_t(low))) {
                i += 6;
                if (decoded)
                    decoded->append(QChar(char16_t(unit))).append(QChar(char16_t(low)));
            } else if (QChar::isSurrogate(char16_t(unit))) {
                if (text.loneSurrogate < 0)
                    text.loneSurrogate = unit;
                if (decoded)
                    decoded->append(QChar(char16_t(unit)));
            } else if (decoded) {
                decoded->append(QChar(char16_t(unit)));
            }
        } else {
            if (kind == 'n' && text.loneSurrogate < 0)
                ++text.line;
            if (decoded) {
                static const char plain[] = "\"\\/bfnrt";
                static const char16_t meant[] = u"\"\\/\b\f\n\r\t";
                const char *found = std::char_traits<char>::find(plain, 8, kind);
                decoded->append(found ? QChar(meant[found - plain]) : QChar(kind));
            }
        }
        run = i;
    }
    // Unclosed: the JSON reader refuses the input.
    text.end = json.size();
    text.length = json.size() - at - 1;
    return text;
}

// A key as the JSON reader takes it, in UTF-8: its bytes where it holds no
// escape, else decoded.
QByteArray keyBytes(QByteArrayView json, qsizetype quote)
{
    const JsonText text = readText(json, quote, nullptr);
    if (!text.escaped)
        return json.sliced(quote + 1, text.length).toByteArray();
    QString decoded;
    readText(json, quote, &decoded);
    return decoded.toUtf8();
}

// The first count frames as a place: "families" entry 2.
QString placeOf(QByteArrayView json, const std::vector<Frame> &frames, std::size_t count)
{
    QStringList place;
    for (std::size_t i = 0; i < count && i < frames.size(); ++i)
        place.append(frames[i].object
                         ? QStringLiteral("\"%1\"").arg(QString::fromUtf8(keyBytes(json, frames[i].key)))
                         : QStringLiteral("entry %1").arg(frames[i].entry));
    return place.join(u' ');
}

// A key of the innermost frame given twice, or none.
std::optional<QByteArray> keyGivenTwice(QByteArrayView json, std::vector<std::pair<size_t, qsizetype>> &keys)
{
    std::sort(keys.begin(), keys.end());
    std::optional<QByteArray> twice;
    qsizetype secondAt = json.size();
    for (std::size_t first = 0; first < keys.size();) {
        std::size_t end = first + 1;
        while (end < keys.size() && keys[end].first == keys[first].first)
            ++end;
        // Equal hashes, and seldom equal keys: each is set against the others.
        for (std::size_t a = first; a + 1 < end; ++a) {
            const QByteArray key = keyBytes(json, keys[a].second);
            for (std::size_t b = a + 1; b < end; ++b) {
                if (keys[b].second < secondAt && keyBytes(json, keys[b].second) == key) {
                    twice = key;
                    secondAt = keys[b].second;
                }
            }
        }
        first = end;
    }
    return twice;
}

} // namespace

std::optional<QByteArray> readAtMost(QIODevice &stream, qint64 limit)
{
    QByteArray bytes;
    for (;;) {
        // A block past the limit is asked for too, to tell "exactly the
        // limit" from "more".
        const qint64 room = qMin<qint64>(InputBounds::applyReadBlock, limit + 1 - bytes.size());
        const qsizetype before = bytes.size();
        bytes.resize(before + room);
        const qint64 got = stream.read(bytes.data() + before, room);
        bytes.resize(before + qMax<qint64>(got, 0));
        if (bytes.size() > limit)
            return std::nullopt;
        if (got <= 0 && !stream.waitForReadyRead(-1) && stream.atEnd())
            break;
    }
    bytes.squeeze();
    return bytes;
}

std::optional<QString> jsonInputFault(QByteArrayView json)
{
    std::vector<Frame> frames;
    // In an object, a text before the colon is a key; in a list, the first
    // byte after '[' or ',' begins an entry.
    bool valueNext = false;
    bool entryNext = false;
    for (qsizetype i = 0; i < json.size();) {
        const char c = json[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
            continue;
        }
        if (entryNext && c != ']' && !frames.empty() && !frames.back().object)
            ++frames.back().entry;
        entryNext = false;
        if (c == '{' || c == '[') {
            if (frames.size() >= std::size_t(InputBounds::jsonNesting))
                return std::nullopt; // the JSON reader refuses it on its own
            frames.push_back(Frame{c == '{', {}});
            valueNext = false;
            entryNext = c == '[';
            ++i;
        } else if (c == '}' || c == ']') {
            if (!frames.empty() && frames.back().object) {
                if (const std::optional<QByteArray> key = keyGivenTwice(json, frames.back().keys)) {
                    const QString outer = placeOf(json, frames, frames.size() - 1);
                    return QStringLiteral("the key \"%1\" is given twice%2")
                        .arg(QString::fromUtf8(*key),
                             outer.isEmpty() ? QString() : QStringLiteral(" in ") + outer);
                }
            }
            if (!frames.empty())
                frames.pop_back();
            valueNext = false;
            ++i;
        } else if (c == ':' || c == ',') {
            valueNext = c == ':';
            entryNext = c == ',' && !frames.empty() && !frames.back().object;
            ++i;
        } else if (c == '"') {
            const bool isKey = !frames.empty() && frames.back().object && !valueNext;
            const JsonText text = readText(json, i, nullptr);
            const std::size_t depth = frames.size();
            if (text.loneSurrogate >= 0) {
                const QString unit = QStringLiteral("\\u%1").arg(text.loneSurrogate, 4, 16, QChar(u'0'));
                const QString outer = placeOf(json, frames, depth - (isKey ? 1 : 0));
                if (isKey)
                    return QStringLiteral("a key%1 holds a lone surrogate (%2), which is no character")
                        .arg(outer.isEmpty() ? QString() : QStringLiteral(" in ") + outer, unit);
                const bool motd = depth == 1 && frames.front().object && outer == u"\"motd\"";
                return QStringLiteral("%1 holds a lone surrogate (%2), which is no character")
                    .arg(motd ? QStringLiteral("\"motd\" line %1").arg(text.line) : outer, unit);
            }
            if (isKey) {
                Frame &frame = frames.back();
                const size_t hash =
                    text.escaped ? qHash(keyBytes(json, i)) : qHash(json.sliced(i + 1, text.length));
                frame.keys.emplace_back(hash, i);
                frame.key = i;
            }
            valueNext = false;
            i = text.end;
        } else {
            ++i;
        }
    }
    return std::nullopt;
}

std::optional<QString> messageOfTheDayFault(QStringView message)
{
    int line = 1;
    for (qsizetype i = 0; i < message.size(); ++i) {
        const char16_t c = message[i].unicode();
        if (c == u'\n') {
            ++line;
        } else if (c != u'\t' && isControlCharacter(c)) {
            return QStringLiteral(
                       "\"motd\" line %1 holds the control character \\x%2; the message of the day "
                       "takes tab and line feed only")
                .arg(line)
                .arg(uint(c), 2, 16, QChar(u'0'));
        } else if (QChar::isSurrogate(c)) {
            const bool paired = QChar::isHighSurrogate(c) && i + 1 < message.size() &&
                                QChar::isLowSurrogate(message[i + 1].unicode());
            if (!paired)
                return QStringLiteral(
                           "\"motd\" line %1 holds a lone surrogate (\\u%2), which is no character")
                    .arg(line)
                    .arg(uint(c), 4, 16, QChar(u'0'));
            ++i;
        }
    }
    return std::nullopt;
}
