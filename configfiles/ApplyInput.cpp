// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ApplyInput.h"

#include "configfiles/InputBounds.h"
#include "configfiles/OutsideText.h"

#include <QSet>
#include <vector>

namespace {

// One object or list open around the scanner's place.
struct Frame
{
    bool object;
    QSet<QString> keys;
    QString key;         // the object's member being read
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
            return text;
        }
        if (c != '\\') {
            ++i;
            continue;
        }
        flush(i);
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
    text.end = json.size();
    return text;
}

// The first count frames as a place: "families" entry 2.
QString placeOf(const std::vector<Frame> &frames, std::size_t count)
{
    QStringList place;
    for (std::size_t i = 0; i < count && i < frames.size(); ++i)
        place.append(frames[i].object ? QStringLiteral("\"%1\"").arg(frames[i].key)
                                      : QStringLiteral("entry %1").arg(frames[i].entry));
    return place.join(u' ');
}

} // namespace

QString InputBounds::sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}

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
            frames.push_back(Frame{c == '{', {}, {}});
            valueNext = false;
            entryNext = c == '[';
            ++i;
        } else if (c == '}' || c == ']') {
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
            QString key;
            const JsonText text = readText(json, i, isKey ? &key : nullptr);
            const std::size_t depth = frames.size();
            if (text.loneSurrogate >= 0) {
                const QString unit = QStringLiteral("\\u%1").arg(text.loneSurrogate, 4, 16, QChar(u'0'));
                const QString outer = placeOf(frames, depth - (isKey ? 1 : 0));
                if (isKey)
                    return QStringLiteral("a key%1 holds a lone surrogate (%2), which is no character")
                        .arg(outer.isEmpty() ? QString() : QStringLiteral(" in ") + outer, unit);
                const bool motd = depth == 1 && frames.front().object && frames.front().key == u"motd";
                return QStringLiteral("%1 holds a lone surrogate (%2), which is no character")
                    .arg(motd ? QStringLiteral("\"motd\" line %1").arg(text.line) : outer, unit);
            }
            if (isKey) {
                Frame &frame = frames.back();
                if (frame.keys.contains(key)) {
                    const QString outer = placeOf(frames, depth - 1);
                    return QStringLiteral("the key \"%1\" is given twice%2")
                        .arg(key, outer.isEmpty() ? QString() : QStringLiteral(" in ") + outer);
                }
                frame.keys.insert(key);
                frame.key = key;
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
