// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "gamedata/ArchiveDirectories.h"
#include "serverquery/StatusAnswer.h"

#include <algorithm>
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

    MapNameBlock maps;
    // One buffer for both, as a folder's archives share one: what the first
    // leaves in it must not reach the second.
    QByteArray buffer;
    const ArchiveListing pack = listPackMaps(fd, qint64(size), maps, 0, buffer);
    expect(pack.maps == maps.size(), "a count that is not the block's");
    expect(qint64(pack.maps) * 64 <= qint64(size), "more maps than the directory can hold");

    // Each zip entry takes 46 bytes and a name of more than nine.
    const ArchiveListing zip = listZipMaps(fd, qint64(size), maps, 1, buffer);
    expect(pack.maps + zip.maps == maps.size(), "a count that is not the block's");
    expect(qint64(zip.maps) * 56 <= qint64(size), "more maps than the directory can hold");
    for (qsizetype i = 0; i < maps.size(); ++i) {
        expect(!maps.name(i).isEmpty(), "a map without a name");
        expect(!maps.name(i).contains(u'\0'), "a name holding a NUL");
        expect(maps.entry(i).source == (i < pack.maps ? 0u : 1u), "a map of the wrong archive");
    }
    ::close(fd);
}

// The same bytes as a remote console's answer: every line printable, and a
// value, when there is one, printable and inside its line.
static void checkConsoleAnswer(const uint8_t *data, size_t size)
{
    const std::optional<QStringList> lines =
        parseConsoleAnswer(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!lines)
        return;
    for (const QString &line : *lines) {
        expect(std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c >= u' ' && c <= u'~'; }),
               "a console line holds an unprintable character");
        const std::optional<QString> value = consoleValue(line, u"fraglimit");
        expect(!value || value->size() + 17 == line.size(), "a console value is not its line's");
    }
}

void checkStatusAnswer(const uint8_t *data, size_t size)
{
    checkConsoleAnswer(data, size);
    const std::optional<StatusAnswer> answer =
        parseStatusAnswer(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!answer)
        return;
    // Nothing of the network's bytes reaches a terminal unescaped.
    const auto printable = [](const QString &text) {
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u' ' && c <= u'~'; });
    };
    for (const auto &[key, value] : answer->info)
        expect(printable(key) && printable(value), "an info field holds an unprintable character");
    for (const StatusAnswer::Player &player : answer->players)
        expect(printable(player.name), "a player name holds an unprintable character");
}
