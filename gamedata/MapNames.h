// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QStringView>

#include <cstddef>
#include <type_traits>

// How the game compares map names: a loose file by its exact name, or by
// the name in lower case on engines that try it, and a name in an archive in
// lower case. Lower case is ASCII's alone, letter for letter, as the game's
// own comparison has it.
namespace MapNames {

inline char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// A character as its code unit: a byte of an archive's name read as Latin-1
// (every byte kept, as the game does), or a UTF-16 unit.
template <typename Char> char16_t unit(Char c)
{
    return char16_t(std::make_unsigned_t<Char>(c));
}

// FNV-1a of a name, in lower case where asked.
template <typename Char> size_t hash(const Char *name, qsizetype size, bool lowerCase)
{
    quint64 hash = 14695981039346656037ull;
    for (qsizetype i = 0; i < size; ++i)
        hash = (hash ^ (lowerCase ? foldAscii(unit(name[i])) : unit(name[i]))) * 1099511628211ull;
    return size_t(hash ^ (hash >> 32));
}

inline size_t hash(QStringView name, bool lowerCase)
{
    return hash(name.utf16(), name.size(), lowerCase);
}

// Whether stored equals name, with name (and stored, where both are asked)
// in lower case.
inline bool same(QStringView stored, QStringView name, bool foldStored, bool foldName)
{
    if (stored.size() != name.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t a = stored[i].unicode();
        const char16_t b = name[i].unicode();
        if ((foldStored ? foldAscii(a) : a) != (foldName ? foldAscii(b) : b))
            return false;
    }
    return true;
}

// Names compared in lower case, as plain code units.
inline int compareLowerCase(QStringView a, QStringView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = foldAscii(a[i].unicode());
        const char16_t y = foldAscii(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace MapNames
