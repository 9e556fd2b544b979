// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/PlainRotation.h"

#include "configfiles/ConsoleRules.h"

#include <array>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using ConsoleRules::ValueKind;

// The bytes a plain name may hold: printable ASCII that the console takes in
// a map name anywhere in it, and neither of the bytes that JSON gives a
// meaning inside text.
const std::array<bool, 256> &plainBytes()
{
    static const std::array<bool, 256> plain = [] {
        std::array<bool, 256> table{};
        for (int c = 0x20; c < 0x7f; ++c)
            table[c] = c != '"' && c != '\\' && !ConsoleRules::breach(ValueKind::Unquoted, QString(QChar(c)));
        return table;
    }();
    return plain;
}

// The lines from the first difference on, megabytes for a new rotation,
// written from start to end in a fresh process: each page of them would
// otherwise come with a fault of its own, and on a virtual machine the faults
// cost more than the writing. Only a hint; where the system has no large
// pages nothing changes.
void adviseLargePages(QByteArray &buffer)
{
    const quintptr page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr begin = (quintptr(buffer.data()) + page - 1) & ~(page - 1);
    const quintptr end = quintptr(buffer.data() + buffer.size());
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
}

// The input and the current file are read once, front to back, from pages
// just mapped into the process, where each new page is slow to reach: asked
// for a kilobyte ahead, a million names are set against the file in a tenth
// less time. Only a hint, which never faults, wherever it points.
void fetchAhead(const char *at)
{
    __builtin_prefetch(reinterpret_cast<const void *>(quintptr(at) + 1024));
}

class Skimmer
{
public:
    explicit Skimmer(QByteArrayView json) : m_json(json) {}

    qsizetype at() const { return m_at; }
    bool atEnd() const { return m_at >= m_json.size(); }
    char next() const { return atEnd() ? '\0' : m_json[m_at]; }
    bool take(char c)
    {
        if (next() != c)
            return false;
        ++m_at;
        return true;
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    static bool endsScalar(char c) { return isSpace(c) || c == ',' || c == '}' || c == ']'; }
    void skipSpace()
    {
        while (!atEnd() && isSpace(next()))
            ++m_at;
    }

    // Past a string, escapes and all; false when it does not end.
    bool skipString()
    {
        if (!take('"'))
            return false;
        for (; !atEnd(); ++m_at) {
            if (next() == '\\')
                ++m_at;
            else if (next() == '"') {
                ++m_at;
                return true;
            }
        }
        return false;
    }

    // Past a value, with strings and brackets matched and nothing else
    // judged: the JSON reader judges it later.
    bool skipValue()
    {
        if (next() == '"')
            return skipString();
        if (next() != '[' && next() != '{') {
            while (!atEnd() && !endsScalar(next()))
                ++m_at;
            return true;
        }
        int depth = 0;
        while (!atEnd()) {
            const char c = next();
            if (c == '"') {
                if (!skipString())
                    return false;
                continue;
            }
            if (c == '[' || c == '{')
                ++depth;
            else if (c == ']' || c == '}')
                --depth;
            ++m_at;
            if (depth == 0)
                return true;
        }
        return false;
    }

    // A list of plain names, as the lines of maplist.txt set against the
    // current file's: lines are copied only from the first that differs on,
    // since for a large rotation the copy's fresh memory costs more than
    // anything else apply does. False at anything but a list of plain names.
    bool readNames(QByteArrayView current, PlainRotation &rotation)
    {
        const std::array<bool, 256> &plain = plainBytes();
        const qsizetype longest = ConsoleRules::maximumLength(ValueKind::Unquoted);
        if (!take('['))
            return false;
        const char *const in = m_json.data();
        qsizetype shared = 0;
        QByteArray &tail = rotation.tail;
        char *out = nullptr;
        const auto done = [&](bool read) {
            rotation.sharedPrefix = read ? shared : 0;
            tail.truncate(read && out ? out - tail.data() : 0);
            return read;
        };
        skipSpace();
        if (take(']'))
            return done(true);
        for (;;) {
            if (!take('"'))
                return done(false);
            const qsizetype begin = m_at;
            while (!atEnd() && plain[uchar(in[m_at])])
                ++m_at;
            const qsizetype length = m_at - begin;
            const char *const name = in + begin;
            fetchAhead(name);
            fetchAhead(current.data() + shared);
            if (!take('"') || length == 0 || length > longest ||
                (length >= 2 && name[0] == '/' && name[1] == '/'))
                return done(false);
            if (!out && current.size() - shared > length && current[shared + length] == '\n' &&
                std::memcmp(current.data() + shared, name, size_t(length)) == 0) {
                shared += length + 1;
            } else {
                if (!out) {
                    // Every name takes two quotes and a comma in the input,
                    // and one line end in the file: the rest of the input is
                    // room enough.
                    tail.resize(m_json.size() - begin);
                    adviseLargePages(tail);
                    out = tail.data();
                }
                std::memcpy(out, name, size_t(length));
                out += length;
                *out++ = '\n';
            }
            skipSpace();
            if (take(']'))
                return done(true);
            if (!take(','))
                return done(false);
            skipSpace();
        }
    }

private:
    QByteArrayView m_json;
    qsizetype m_at = 0;
};

} // namespace

std::optional<PlainRotation> readPlainRotation(QByteArrayView json, QByteArrayView current)
{
    Skimmer skim(json);
    PlainRotation plain;
    qsizetype listBegin = -1;
    qsizetype listEnd = -1;
    skim.skipSpace();
    if (!skim.take('{'))
        return std::nullopt;
    skim.skipSpace();
    if (!skim.take('}')) {
        for (;;) {
            const qsizetype keyBegin = skim.at();
            if (!skim.skipString())
                return std::nullopt;
            const QByteArrayView key = json.sliced(keyBegin, skim.at() - keyBegin);
            ++plain.keyCount;
            skim.skipSpace();
            if (!skim.take(':'))
                return std::nullopt;
            skim.skipSpace();
            if (key == "\"rotation\"") {
                if (listBegin >= 0)
                    return std::nullopt;
                listBegin = skim.at();
                if (!skim.readNames(current, plain))
                    return std::nullopt;
                listEnd = skim.at();
            } else if (!skim.skipValue()) {
                return std::nullopt;
            }
            skim.skipSpace();
            if (skim.take('}'))
                break;
            if (!skim.take(','))
                return std::nullopt;
            skim.skipSpace();
        }
    }
    skim.skipSpace();
    if (listBegin < 0 || !skim.atEnd())
        return std::nullopt;
    plain.rest = json.first(listBegin).toByteArray() + "[]" + json.sliced(listEnd).toByteArray();
    return plain;
}

QByteArrayList PlainRotation::mapListPieces(QByteArrayView current) const
{
    QByteArrayList pieces;
    if (sharedPrefix > 0)
        pieces.append(QByteArray::fromRawData(current.data(), sharedPrefix));
    if (!tail.isEmpty())
        pieces.append(tail);
    return pieces;
}
