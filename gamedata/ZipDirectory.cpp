// SPDX-License-Identifier: GPL-2.0-or-later
// The central directory of a zip archive, a .pk3 or .pkz.
#include "files/DescriptorIo.h"
#include "files/SystemErrors.h"
#include "gamedata/ArchiveDirectories.h"
#include "gamedata/ArchiveEntries.h"

#include <QtEndian>

#include <cerrno>
#include <cstring>

namespace {

constexpr quint32 zipEndSignature = 0x06054b50;
constexpr quint32 zip64EndSignature = 0x06064b50;
constexpr quint32 zip64LocatorSignature = 0x07064b50;
constexpr quint32 zipEntrySignature = 0x02014b50;
constexpr qsizetype zipEndSize = 22;
constexpr qsizetype zip64EndSize = 56;
constexpr qsizetype zip64LocatorSize = 20;
constexpr qsizetype zipEntrySize = 46;
constexpr qsizetype zipCommentLimit = 65535;

quint16 u16(const char *at)
{
    return qFromLittleEndian<quint16>(at);
}

quint32 u32(const char *at)
{
    return qFromLittleEndian<quint32>(at);
}

quint64 u64(const char *at)
{
    return qFromLittleEndian<quint64>(at);
}

// Where a zip archive's central directory lies and how many entries it has,
// from its end record: the last one in the file's final 64 KiB whose comment
// ends within the file, and its zip64 record where it has one.
struct ZipDirectory
{
    bool found = false;
    qint64 offset = 0;
    qint64 size = 0;
    qint64 entries = 0;
    qint64 end = 0; // where the end records begin: the directory must end before
    QString problem;
};

// Where in the file's last tailSize bytes, read into tail, the last end
// record lies whose comment ends within the file: -1 for none, -2 when the
// file could not be read.
qsizetype findEndRecord(int fd, qint64 fileSize, qsizetype tailSize, QByteArray &tail)
{
    if (tail.size() < tailSize)
        tail.resize(tailSize);
    if (!readAt(fd, fileSize - tailSize, tail.data(), tailSize))
        return -2;
    for (qsizetype at = tailSize - zipEndSize; at >= 0; --at) {
        const char *record = tail.constData() + at;
        if (u32(record) == zipEndSignature && at + zipEndSize + u16(record + 20) <= tailSize)
            return at;
    }
    return -1;
}

ZipDirectory findZipDirectory(int fd, qint64 fileSize, QByteArray &tail)
{
    ZipDirectory directory;
    const qsizetype fullTailSize = qsizetype(qMin<qint64>(fileSize, zipEndSize + zipCommentLimit));
    if (fullTailSize < zipEndSize)
        return directory;
    // Most archives have no comment: their end record lies in their last
    // page, and the full 64 KiB that a comment may take are read only when
    // it does not, or when a zip64 locator before it could lie outside.
    qsizetype tailSize = qMin<qsizetype>(fullTailSize, 4096);
    qsizetype at = findEndRecord(fd, fileSize, tailSize, tail);
    if ((at == -1 || (at >= 0 && at < zip64LocatorSize)) && tailSize < fullTailSize) {
        tailSize = fullTailSize;
        at = findEndRecord(fd, fileSize, tailSize, tail);
    }
    if (at == -2) {
        directory.found = true;
        directory.problem = QStringLiteral("could not be read: %1").arg(systemError(errno));
        return directory;
    }
    if (at < 0)
        return directory;
    const qint64 tailStart = fileSize - tailSize;
    directory.found = true;
    const char *record = tail.constData() + at;
    directory.end = tailStart + at;
    directory.entries = u16(record + 10);
    directory.size = u32(record + 12);
    directory.offset = u32(record + 16);
    if (u16(record + 4) != 0 || u16(record + 6) != 0 || u16(record + 8) != u16(record + 10)) {
        directory.problem = QStringLiteral("is split over several disks; its directory was not read");
        return directory;
    }

    // A zip64 archive says so by a locator just before the end record.
    if (at >= zip64LocatorSize && u32(record - zip64LocatorSize) == zip64LocatorSignature) {
        const char *locator = record - zip64LocatorSize;
        const qint64 recordAt = qint64(qMin<quint64>(u64(locator + 8), quint64(fileSize)));
        char zip64[zip64EndSize];
        if (recordAt + zip64EndSize > directory.end - zip64LocatorSize ||
            !readAt(fd, recordAt, zip64, zip64EndSize) || u32(zip64) != zip64EndSignature) {
            directory.problem =
                QStringLiteral(
                    "names a zip64 end record at offset %1 that is not there; its directory was not read")
                    .arg(u64(locator + 8));
            return directory;
        }
        if (u32(zip64 + 16) != 0 || u32(zip64 + 20) != 0 || u32(locator + 4) != 0 ||
            u64(zip64 + 24) != u64(zip64 + 32)) {
            directory.problem = QStringLiteral("is split over several disks; its directory was not read");
            return directory;
        }
        directory.end = recordAt;
        // Counts beyond any file are cut to the file's size; the check below
        // then refuses them.
        directory.entries = qint64(qMin<quint64>(u64(zip64 + 32), quint64(fileSize)));
        directory.size = qint64(qMin<quint64>(u64(zip64 + 40), quint64(fileSize) + 1));
        directory.offset = qint64(qMin<quint64>(u64(zip64 + 48), quint64(fileSize) + 1));
    }
    if (directory.offset + directory.size > directory.end)
        directory.problem = QStringLiteral("names a central directory of %1 bytes at offset %2, past its end "
                                           "record at %3 bytes; its directory was not read")
                                .arg(directory.size)
                                .arg(directory.offset)
                                .arg(directory.end);
    else if (directory.entries > directory.size / zipEntrySize)
        directory.problem =
            QStringLiteral("lists %1 entries in a central directory of %2 bytes, which cannot "
                           "hold them; its directory was not read")
                .arg(directory.entries)
                .arg(directory.size);
    return directory;
}

} // namespace

ArchiveListing listZipMaps(int fd, qint64 size, MapNameBlock &maps, quint32 source, QByteArray &buffer)
{
    ArchiveListing listing;
    const ZipDirectory directory = findZipDirectory(fd, size, buffer);
    if (!directory.found) {
        listing.recognised = false;
        return listing;
    }
    if (!directory.problem.isEmpty()) {
        listing.problems.append(directory.problem);
        return listing;
    }
    const qint64 entries = ArchiveEntries::withinBound(directory.entries, listing.problems);

    // The directory is read a buffer at a time; an entry that the buffer cuts
    // is read again from its start with the next one.
    const qsizetype bufferRoom = qsizetype(qMin<qint64>(directory.size, ArchiveEntries::readSize));
    if (buffer.size() < bufferRoom)
        buffer.resize(bufferRoom);
    qint64 bufferStart = directory.offset;
    qsizetype bufferSize = 0;
    qint64 at = directory.offset;
    const qint64 directoryEnd = directory.offset + directory.size;
    for (qint64 i = 0; i < entries; ++i) {
        // The fixed part first, then the whole entry, each within the directory.
        qint64 entrySize = zipEntrySize;
        for (int pass = 0; pass < 2; ++pass) {
            if (at + entrySize > directoryEnd) {
                listing.problems.append(
                    QStringLiteral("has a central directory that ends inside entry %1 of %2; the entries "
                                   "after it were not read")
                        .arg(i + 1)
                        .arg(directory.entries));
                return listing;
            }
            if (at + entrySize > bufferStart + bufferSize) {
                bufferStart = at;
                bufferSize = qsizetype(qMin<qint64>(bufferRoom, directoryEnd - at));
                if (!readAt(fd, bufferStart, buffer.data(), bufferSize)) {
                    listing.problems.append(QStringLiteral("could not be read to the end of its directory"));
                    return listing;
                }
            }
            const char *entry = buffer.constData() + (at - bufferStart);
            if (pass == 0) {
                if (u32(entry) != zipEntrySignature) {
                    listing.problems.append(
                        QStringLiteral("has a damaged central directory at entry %1 of %2; the entries after "
                                       "it were not read")
                            .arg(i + 1)
                            .arg(directory.entries));
                    return listing;
                }
                entrySize += qint64(u16(entry + 28)) + u16(entry + 30) + u16(entry + 32);
            }
        }
        const char *entry = buffer.constData() + (at - bufferStart);
        const char *name = entry + zipEntrySize;
        // A name is read as far as a NUL, as a C reader of the format reads it.
        const qsizetype nameSize = u16(entry + 28);
        const void *nul = std::memchr(name, '\0', size_t(nameSize));
        ArchiveEntries::addIfMap(name, nul ? static_cast<const char *>(nul) - name : nameSize, maps, source,
                                 listing.maps);
        at += entrySize;
    }
    return listing;
}
