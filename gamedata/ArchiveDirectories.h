// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gamedata/MapNameBlock.h"

#include <QStringList>

// What reading one archive's directory came to. Its maps, the entries
// maps/NAME.bsp in any letter case (the game ignores case in archives), go to
// the caller's block as NAME.
struct ArchiveListing
{
    bool recognised = true; // false: not an archive of its kind at all
    qsizetype maps = 0;     // how many names were added to the block
    QStringList problems;   // what is wrong with its directory, as phrases
};

// Either kind of directory is read as far as InputBounds::archiveEntries
// entries; past it, the first ones are read and the rest named in a problem.
// Memory stays within the block's share of the directory bytes read (two
// bytes a character and sixteen a map) and one buffer of 256 KiB.

// A .pak: the four bytes PACK, then the directory's offset and length, each
// a 32-bit little-endian number; the directory is a run of 64-byte entries,
// a 56-byte NUL-padded name followed by the file's offset and length.
//
// buffer is the room the directory is read into, grown as needed: one
// buffer serves every archive of a folder.
ArchiveListing listPackMaps(int fd, qint64 size, MapNameBlock &maps, quint32 source, QByteArray &buffer);

// A .pk3 or .pkz: a zip archive, of which only the central directory is
// read, found through its end record (zip64's included) and checked against
// the file's size before any count of it is trusted.
ArchiveListing listZipMaps(int fd, qint64 size, MapNameBlock &maps, quint32 source, QByteArray &buffer);
