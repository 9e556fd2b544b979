// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "configfiles/ArchiveDirectories.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void expect(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "archive reading: %s\n", what);
        std::abort();
    }
}

} // namespace

void checkArchives(const uint8_t *data, size_t size)
{
    const int fd = ::memfd_create("archive", MFD_CLOEXEC);
    expect(fd >= 0, "no memory file");
    expect(::write(fd, data, size) == ssize_t(size), "the input was not written");

    const ArchiveListing pack = listPackMaps(fd, qint64(size));
    expect(qint64(pack.maps.size()) * 64 <= qint64(size), "more maps than the directory can hold");
    for (const QString &map : pack.maps)
        expect(!map.isEmpty(), "a map without a name");

    const ArchiveListing zip = listZipMaps(::dup(fd));
    for (const QString &map : zip.maps)
        expect(!map.isEmpty(), "a map without a name");
    ::close(fd);
}
