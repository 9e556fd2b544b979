// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/MapNameBlock.h"

#include "gamedata/MapNames.h"

#include <algorithm>

using MapNames::foldAscii;

namespace {

// One of 64 bits for a name's last character, in lower case.
quint64 endingBit(char16_t c)
{
    return quint64(1) << (foldAscii(c) & 63);
}

} // namespace

void MapNameBlock::keepOnly(const QList<QStringView> &names)
{
    size_t tableSize = 16;
    while (tableSize < 2 * size_t(names.size()))
        tableSize *= 2;
    m_keptTable.assign(tableSize, -1);
    m_kept.clear();
    m_keptEndings.fill(0);
    for (const QStringView name : names) {
        if (kept(name.utf16(), name.size()))
            continue;
        if (!name.isEmpty() && name.size() < qsizetype(m_keptEndings.size()))
            m_keptEndings[size_t(name.size())] |= endingBit(name.back().unicode());
        QString folded(name.size(), Qt::Uninitialized);
        std::transform(name.utf16(), name.utf16() + name.size(), folded.begin(),
                       [](char16_t c) { return QChar(foldAscii(c)); });
        size_t slot = MapNames::hash(name.utf16(), name.size(), true) & (tableSize - 1);
        while (m_keptTable[slot] >= 0)
            slot = (slot + 1) & (tableSize - 1);
        m_keptTable[slot] = qint32(m_kept.size());
        m_kept.append(folded);
    }
}

template <typename Char> bool MapNameBlock::kept(const Char *name, qsizetype size) const
{
    if (m_keptTable.empty())
        return true;
    if (size > 0 && size < qsizetype(m_keptEndings.size()) &&
        !(m_keptEndings[size_t(size)] & endingBit(MapNames::unit(name[size - 1]))))
        return false;
    const size_t mask = m_keptTable.size() - 1;
    for (size_t slot = MapNames::hash(name, size, true) & mask; m_keptTable[slot] >= 0;
         slot = (slot + 1) & mask) {
        const QString &candidate = m_kept[m_keptTable[slot]];
        if (candidate.size() == size &&
            std::equal(name, name + size, candidate.utf16(),
                       [](Char a, char16_t b) { return foldAscii(MapNames::unit(a)) == b; }))
            return true;
    }
    return false;
}

LargeArray<char16_t> &MapNameBlock::room(size_t size, quint32 source)
{
    if (m_characters.empty())
        m_characters.emplace_back(std::max(firstCharacters, size), false);
    else if (m_characters.back().room() < size)
        m_characters.emplace_back(std::max(charactersPerBlock, size), true);
    if (m_size == 0)
        m_names.emplace_back(size_t(firstNames), false);
    else if (m_size >= firstNames && ((m_size - firstNames) & namesMask) == 0)
        m_names.emplace_back(size_t(namesMask) + 1, true);
    LargeArray<char16_t> &characters = m_characters.back();
    m_names.back().push_back(
        {quint32(m_characters.size() - 1), quint32(characters.size()), quint32(size), source});
    ++m_size;
    return characters;
}

void MapNameBlock::appendLatin1(const char *name, qsizetype size, quint32 source)
{
    if (!kept(name, size))
        return;
    // Each byte widened, as Latin-1 is.
    const auto *bytes = reinterpret_cast<const uchar *>(name);
    room(size_t(size), source).append(bytes, bytes + size);
}

void MapNameBlock::append(QStringView name, quint32 source)
{
    if (!kept(name.utf16(), name.size()))
        return;
    room(size_t(name.size()), source).append(name.utf16(), name.utf16() + name.size());
}
