// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ArchiveDirectories.h"

#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <zip.h>

namespace {

constexpr qsizetype packHeaderSize = 12;
constexpr qsizetype packEntrySize = 64;
constexpr qsizetype packNameSize = 56;
// Far beyond any real archive (the original game's largest pak has 3,307
// entries), and small enough that a lying directory cannot keep a reader
// busy for long.
constexpr qint64 packEntryLimit = 1 << 20;
// The directory is read this many entries at a time, so memory stays small
// however long it is.
constexpr qint64 packEntriesPerRead = 4096;

bool startsWithIgnoringCase(const char *text, qsizetype size, const char *prefix, qsizetype prefixSize)
{
    return size >= prefixSize && qstrnicmp(text, prefix, prefixSize) == 0;
}

// "maps/NAME.bsp" in any letter case gives NAME.
void addIfMap(const char *entry, qsizetype size, QStringList &maps)
{
    constexpr char prefix[] = "maps/";
    constexpr char suffix[] = ".bsp";
    constexpr qsizetype prefixSize = sizeof prefix - 1;
    constexpr qsizetype suffixSize = sizeof suffix - 1;
    if (size <= prefixSize + suffixSize || !startsWithIgnoringCase(entry, size, prefix, prefixSize) ||
        qstrnicmp(entry + size - suffixSize, suffix, suffixSize) != 0)
        return;
    maps.append(QString::fromLatin1(entry + prefixSize, size - prefixSize - suffixSize));
}

bool readAt(int fd, qint64 offset, char *buffer, qsizetype length)
{
    while (length > 0) {
        const ssize_t n = ::pread(fd, buffer, size_t(length), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        offset += n;
        length -= n;
    }
    return true;
}

} // namespace

ArchiveListing listPackMaps(int fd, qint64 size)
{
    ArchiveListing listing;
    char header[packHeaderSize] = {};
    const qsizetype headerRead = qsizetype(qMin<qint64>(size, packHeaderSize));
    if (!readAt(fd, 0, header, headerRead)) {
        listing.problems.append(QStringLiteral("could not be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
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
        listing.problems.append(QStringLiteral("names a directory of %1 bytes at offset %2, past its end at %3 bytes")
                                    .arg(length)
                                    .arg(offset)
                                    .arg(size));
        return listing;
    }
    if (length % packEntrySize != 0)
        listing.problems.append(
            QStringLiteral("has a directory of %1 bytes, which is no whole number of 64-byte entries").arg(length));
    qint64 entries = length / packEntrySize;
    if (entries > packEntryLimit) {
        listing.problems.append(
            QStringLiteral("lists %1 entries; only the first %2 were read").arg(entries).arg(packEntryLimit));
        entries = packEntryLimit;
    }

    QByteArray block;
    qint64 unterminated = 0;
    for (qint64 first = 0; first < entries; first += packEntriesPerRead) {
        const qint64 count = qMin(packEntriesPerRead, entries - first);
        block.resize(qsizetype(count * packEntrySize));
        if (!readAt(fd, offset + first * packEntrySize, block.data(), block.size())) {
            listing.problems.append(QStringLiteral("could not be read to the end of its directory"));
            break;
        }
        for (qint64 i = 0; i < count; ++i) {
            const char *name = block.constData() + i * packEntrySize;
            const void *end = std::memchr(name, '\0', packNameSize);
            if (!end) {
                ++unterminated;
                continue;
            }
            addIfMap(name, static_cast<const char *>(end) - name, listing.maps);
        }
    }
    if (unterminated)
        listing.problems.append(
            QStringLiteral("has %1 entries whose names lack their ending NUL; they were skipped").arg(unterminated));
    return listing;
}

ArchiveListing listZipMaps(int fd)
{
    ArchiveListing listing;
    FILE *file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        listing.problems.append(QStringLiteral("could not be read"));
        return listing;
    }
    zip_error_t error;
    zip_error_init(&error);
    // The source owns the file from here on, and the archive owns the source
    // once it is open.
    zip_source_t *source = zip_source_filep_create(file, 0, -1, &error);
    if (!source) {
        std::fclose(file);
        listing.problems.append(QString::fromLocal8Bit(zip_error_strerror(&error)));
        zip_error_fini(&error);
        return listing;
    }
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        listing.recognised = zip_error_code_zip(&error) != ZIP_ER_NOZIP;
        if (listing.recognised)
            listing.problems.append(QString::fromLocal8Bit(zip_error_strerror(&error)));
        zip_error_fini(&error);
        return listing;
    }
    zip_error_fini(&error);
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        if (const char *name = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW))
            addIfMap(name, qsizetype(std::strlen(name)), listing.maps);
    }
    zip_discard(archive);
    return listing;
}
