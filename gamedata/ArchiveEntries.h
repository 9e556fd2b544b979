// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gamedata/MapNameBlock.h"

#include <QByteArray>
#include <QStringList>

// What the pak and the zip reader share: which entries are maps, and how a
// directory past the entry bound is told.
namespace ArchiveEntries {

// Directories are read this many bytes at a time, so memory stays small
// however long they are; the largest zip entry (46 bytes and three fields of
// at most 65,535) fits.
inline constexpr qsizetype readSize = 256 * 1024;

// "maps/NAME.bsp" in any letter case gives NAME, added to maps and counted.
// Inline: it is called for every entry of every archive.
inline void addIfMap(const char *entry, qsizetype size, MapNameBlock &maps, quint32 source, qsizetype &count)
{
    constexpr char prefix[] = "maps/";
    constexpr char suffix[] = ".bsp";
    constexpr qsizetype prefixSize = sizeof prefix - 1;
    constexpr qsizetype suffixSize = sizeof suffix - 1;
    if (size <= prefixSize + suffixSize || qstrnicmp(entry, prefix, prefixSize) != 0 ||
        qstrnicmp(entry + size - suffixSize, suffix, suffixSize) != 0)
        return;
    maps.appendLatin1(entry + prefixSize, size - prefixSize - suffixSize, source);
    ++count;
}

// entries, cut to the bound, with the problem that says so where it cuts.
qint64 withinBound(qint64 entries, QStringList &problems);

} // namespace ArchiveEntries
