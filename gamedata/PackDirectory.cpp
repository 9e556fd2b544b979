// SPDX-License-Identifier: GPL-2.0-or-later
// The directory of a .pak, the game's own archive.
#include "files/DescriptorIo.h"
#include "files/SystemErrors.h"
#include "gamedata/ArchiveDirectories.h"
#include "gamedata/ArchiveEntries.h"

#include <QtEndian>

#include <cerrno>
#include <cstring>

namespace {

constexpr qsizetype packHeaderSize = 12;
constexpr qsizetype packEntrySize = 64;
constexpr qsizetype packNameSize = 56;

} // namespace

ArchiveListing listPackMaps(int fd, qint64 size, MapNameBlock &maps, quint32 source, QByteArray &buffer)
{
    ArchiveListing listing;
    char header[packHeaderSize] = {};
    const qsizetype headerRead = qsizetype(qMin<qint64>(size, packHeaderSize));
    if (!readAt(fd, 0, header, headerRead)) {
        listing.problems.append(QStringLiteral("could not be read: %1").arg(systemError(errno)));
        return listing;
    }
    if (headerRead < 4 || std::memcmp(header, "PACK", 4) != 0) {
        listing.recognised = false;
        return listing;
    }
    if (headerRead < packHeaderSize) {
        listing.problems.append(QStringLiteral("ends inside its header"));
        return listing;
    }
    const qint64 offset = qFromLittleEndian<qint32>(header + 4);
    const qint64 length = qFromLittleEndian<qint32>(header + 8);
    if (offset < 0 || length < 0 || offset + length > size) {
        listing.problems.append(
            QStringLiteral("names a directory of %1 bytes at offset %2, past its end at %3 bytes")
                .arg(length)
                .arg(offset)
                .arg(size));
        return listing;
    }
    if (length % packEntrySize != 0)
        listing.problems.append(
            QStringLiteral("has a directory of %1 bytes, which is no whole number of 64-byte entries")
                .arg(length));
    const qint64 entries = ArchiveEntries::withinBound(length / packEntrySize, listing.problems);
    constexpr qint64 entriesPerRead = ArchiveEntries::readSize / packEntrySize;
    if (const qsizetype needed = qsizetype(qMin(entries, entriesPerRead) * packEntrySize);
        buffer.size() < needed)
        buffer.resize(needed);
    char *block = buffer.data();
    qint64 unterminated = 0;
    for (qint64 first = 0; first < entries; first += entriesPerRead) {
        const qint64 count = qMin(entriesPerRead, entries - first);
        if (!readAt(fd, offset + first * packEntrySize, block, qsizetype(count * packEntrySize))) {
            listing.problems.append(QStringLiteral("could not be read to the end of its directory"));
            break;
        }
        for (qint64 i = 0; i < count; ++i) {
            const char *name = block + i * packEntrySize;
            const void *end = std::memchr(name, '\0', packNameSize);
            if (!end) {
                ++unterminated;
                continue;
            }
            ArchiveEntries::addIfMap(name, static_cast<const char *>(end) - name, maps, source, listing.maps);
        }
    }
    if (unterminated)
        listing.problems.append(
            QStringLiteral("has %1 entries whose names lack their ending NUL; they were skipped")
                .arg(unterminated));
    return listing;
}
