// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ArchiveDirectories.h"

#include <QLibrary>
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

// libzip, loaded when the first zip archive is read: it brings OpenSSL's
// libcrypto with it, which would cost every start of the window two MiB
// that a game folder without .pk3 files never needs.
struct ZipLibrary
{
    decltype(&zip_error_init) errorInit = nullptr;
    decltype(&zip_error_fini) errorFini = nullptr;
    decltype(&zip_error_strerror) errorText = nullptr;
    decltype(&zip_error_code_zip) errorCode = nullptr;
    decltype(&zip_source_filep_create) fileSource = nullptr;
    decltype(&zip_source_free) freeSource = nullptr;
    decltype(&zip_open_from_source) open = nullptr;
    decltype(&zip_get_num_entries) entryCount = nullptr;
    decltype(&zip_get_name) name = nullptr;
    decltype(&zip_discard) discard = nullptr;

    static const ZipLibrary *get()
    {
        static const ZipLibrary library = load();
        return library.discard ? &library : nullptr;
    }

private:
    static ZipLibrary load()
    {
        QLibrary zip(QStringLiteral("zip"), 4);
        ZipLibrary functions;
        const auto resolve = [&zip](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(zip.resolve(name));
            return function != nullptr;
        };
        const bool complete = resolve(functions.errorInit, "zip_error_init") &&
                              resolve(functions.errorFini, "zip_error_fini") &&
                              resolve(functions.errorText, "zip_error_strerror") &&
                              resolve(functions.errorCode, "zip_error_code_zip") &&
                              resolve(functions.fileSource, "zip_source_filep_create") &&
                              resolve(functions.freeSource, "zip_source_free") &&
                              resolve(functions.open, "zip_open_from_source") &&
                              resolve(functions.entryCount, "zip_get_num_entries") &&
                              resolve(functions.name, "zip_get_name") &&
                              resolve(functions.discard, "zip_discard");
        return complete ? functions : ZipLibrary();
    }
};

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
        listing.problems.append(
            QStringLiteral("could not be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
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
            QStringLiteral("has %1 entries whose names lack their ending NUL; they were skipped")
                .arg(unterminated));
    return listing;
}

ArchiveListing listZipMaps(int fd)
{
    ArchiveListing listing;
    const ZipLibrary *zip = ZipLibrary::get();
    FILE *file = zip ? ::fdopen(fd, "rb") : nullptr;
    if (!file) {
        ::close(fd);
        listing.problems.append(
            zip ? QStringLiteral("could not be read")
                : QStringLiteral("could not be read: libzip (libzip.so.4) is not installed"));
        return listing;
    }
    zip_error_t error;
    zip->errorInit(&error);
    // The source owns the file from here on, and the archive owns the source
    // once it is open.
    zip_source_t *source = zip->fileSource(file, 0, -1, &error);
    if (!source) {
        std::fclose(file);
        listing.problems.append(QString::fromLocal8Bit(zip->errorText(&error)));
        zip->errorFini(&error);
        return listing;
    }
    zip_t *archive = zip->open(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip->freeSource(source);
        listing.recognised = zip->errorCode(&error) != ZIP_ER_NOZIP;
        if (listing.recognised)
            listing.problems.append(QString::fromLocal8Bit(zip->errorText(&error)));
        zip->errorFini(&error);
        return listing;
    }
    zip->errorFini(&error);
    const zip_int64_t entries = zip->entryCount(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        if (const char *name = zip->name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW))
            addIfMap(name, qsizetype(std::strlen(name)), listing.maps);
    }
    zip->discard(archive);
    return listing;
}
