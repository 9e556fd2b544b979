// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QStringList>

// The maps a game archive holds, read from its directory alone: the entries
// maps/NAME.bsp, letter case ignored as the game ignores it in archives.
struct ArchiveListing
{
    bool recognised = true; // false: not an archive of its kind at all
    QStringList maps;       // NAME as stored, e.g. "q2dm1" or "sub/deep"
    QStringList problems;   // what is wrong with its directory, as phrases
};

// A .pak: the four bytes PACK, then the directory's offset and length, each
// a 32-bit little-endian number; the directory is a run of 64-byte entries,
// a 56-byte NUL-padded name followed by the file's offset and length.
ArchiveListing listPackMaps(int fd, qint64 size);

// A .pk3 or .pkz: a zip archive, read through libzip. Takes fd over.
ArchiveListing listZipMaps(int fd);
