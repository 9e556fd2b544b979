// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gamedata/LargeArray.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <vector>

// The names of many maps in a few large blocks: their characters one after
// another in blocks of a million, and for each name where it starts, how
// long it is and which file it comes from, in blocks of 131,072. A hundred
// thousand maps cost a handful of allocations, not two hundred thousand,
// and a full block is never copied: a new one is begun. A small first block
// of each kind is filled a 4 KiB page at a time, so that a few maps cost a
// few pages; the blocks after it come in huge pages where the system has
// them.
class MapNameBlock
{
public:
    struct Name
    {
        quint32 block; // of characters
        quint32 start; // within it
        quint32 size;
        quint32 source; // an index into the caller's list of files
    };

    qsizetype size() const { return m_size; }
    const Name &entry(qsizetype i) const
    {
        if (i < firstNames)
            return m_names[0][size_t(i)];
        const qsizetype later = i - firstNames;
        return m_names[size_t(1 + (later >> namesShift))][size_t(later & namesMask)];
    }
    QStringView name(qsizetype i) const
    {
        const Name &n = entry(i);
        return QStringView(m_characters[n.block].data() + n.start, qsizetype(n.size));
    }
    // A name as an archive stores it: its bytes read as Latin-1, which keeps
    // every byte, as the game does.
    void appendLatin1(const char *name, qsizetype size, quint32 source);
    void append(QStringView name, quint32 source);
    // From here on, keeps only the names that are one of these in ASCII
    // letter case ignored (the others are counted by their readers, not
    // kept): for a reader that only judges a few names.
    void keepOnly(const QList<QStringView> &names);

private:
    // A first block of each kind of 64 and 128 KiB in pages of 4 KiB, then
    // blocks of 2 MiB, a huge page each.
    static constexpr qsizetype firstNames = 4096;
    static constexpr int namesShift = 17;
    static constexpr qsizetype namesMask = (qsizetype(1) << namesShift) - 1;
    static constexpr size_t firstCharacters = size_t(1) << 16;
    static constexpr size_t charactersPerBlock = size_t(1) << 20;

    LargeArray<char16_t> &room(size_t size, quint32 source);
    template <typename Char> bool kept(const Char *name, qsizetype size) const;

    std::vector<LargeArray<char16_t>> m_characters;
    std::vector<LargeArray<Name>> m_names;
    qsizetype m_size = 0;
    // keepOnly's names, open-addressed by their hash in lower case, and for
    // each length under 64 a bit for each of their last characters: most
    // names of an archive are passed over before their hash is made.
    QList<QString> m_kept;
    std::vector<qint32> m_keptTable;
    std::array<quint64, 64> m_keptEndings{};
};
