// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/ArchiveDirectories.h"
#include "files/DescriptorIo.h"
#include "files/SystemErrors.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <type_traits>
#include <unistd.h>

namespace {

constexpr qsizetype packHeaderSize = 12;
constexpr qsizetype packEntrySize = 64;
constexpr qsizetype packNameSize = 56;
// Directories are read this many bytes at a time, so memory stays small
// however long they are; the largest zip entry (46 bytes and three fields of
// at most 65,535) fits.
constexpr qsizetype readSize = 256 * 1024;

constexpr quint32 zipEndSignature = 0x06054b50;
constexpr quint32 zip64EndSignature = 0x06064b50;
constexpr quint32 zip64LocatorSignature = 0x07064b50;
constexpr quint32 zipEntrySignature = 0x02014b50;
constexpr qsizetype zipEndSize = 22;
constexpr qsizetype zip64EndSize = 56;
constexpr qsizetype zip64LocatorSize = 20;
constexpr qsizetype zipEntrySize = 46;
constexpr qsizetype zipCommentLimit = 65535;

// "maps/NAME.bsp" in any letter case gives NAME.
void addIfMap(const char *entry, qsizetype size, MapNameBlock &maps, quint32 source, qsizetype &count)
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

QString limitPhrase(qint64 entries)
{
    return QStringLiteral("lists %1 entries; only the first %2 were read")
        .arg(entries)
        .arg(archiveEntryLimit);
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

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// FNV-1a of a name in lower case, of its bytes as Latin-1 or of its UTF-16.
template <typename Char> size_t lowerCaseHash(const Char *name, qsizetype size)
{
    quint64 hash = 14695981039346656037ull;
    for (qsizetype i = 0; i < size; ++i)
        hash = (hash ^ foldAscii(char16_t(std::make_unsigned_t<Char>(name[i])))) * 1099511628211ull;
    return size_t(hash ^ (hash >> 32));
}

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
        size_t slot = lowerCaseHash(name.utf16(), name.size()) & (tableSize - 1);
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
        !(m_keptEndings[size_t(size)] & endingBit(char16_t(std::make_unsigned_t<Char>(name[size - 1])))))
        return false;
    const size_t mask = m_keptTable.size() - 1;
    for (size_t slot = lowerCaseHash(name, size) & mask; m_keptTable[slot] >= 0; slot = (slot + 1) & mask) {
        const QString &candidate = m_kept[m_keptTable[slot]];
        if (candidate.size() == size &&
            std::equal(name, name + size, candidate.utf16(), [](Char a, char16_t b) {
                return foldAscii(char16_t(std::make_unsigned_t<Char>(a))) == b;
            }))
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
    qint64 entries = length / packEntrySize;
    if (entries > archiveEntryLimit) {
        listing.problems.append(limitPhrase(entries));
        entries = archiveEntryLimit;
    }
    constexpr qint64 entriesPerRead = readSize / packEntrySize;
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
            addIfMap(name, static_cast<const char *>(end) - name, maps, source, listing.maps);
        }
    }
    if (unterminated)
        listing.problems.append(
            QStringLiteral("has %1 entries whose names lack their ending NUL; they were skipped")
                .arg(unterminated));
    return listing;
}

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
    qint64 entries = directory.entries;
    if (entries > archiveEntryLimit) {
        listing.problems.append(limitPhrase(entries));
        entries = archiveEntryLimit;
    }

    // The directory is read a buffer at a time; an entry that the buffer cuts
    // is read again from its start with the next one.
    const qsizetype bufferRoom = qsizetype(qMin<qint64>(directory.size, readSize));
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
        addIfMap(name, nul ? static_cast<const char *>(nul) - name : nameSize, maps, source, listing.maps);
        at += entrySize;
    }
    return listing;
}
