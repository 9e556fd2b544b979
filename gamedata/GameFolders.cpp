// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/GameFolders.h"

#include "files/RegularFileReading.h"
#include "files/SystemErrors.h"
#include "files/WriteTarget.h"
#include "gamedata/ArchiveDirectories.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The game compares names in archives letter for letter in ASCII only.
char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// FNV-1a, of the name in lower case where asked.
size_t hashOf(QStringView name, bool lowerCase)
{
    quint64 hash = 14695981039346656037ull;
    for (const QChar c : name) {
        hash = (hash ^ (lowerCase ? foldAscii(c.unicode()) : c.unicode())) * 1099511628211ull;
    }
    return size_t(hash ^ (hash >> 32));
}

// Whether stored equals name, with name (and stored, where both are asked)
// in lower case.
bool sameName(QStringView stored, QStringView name, bool foldStored, bool foldName)
{
    if (stored.size() != name.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t a = stored[i].unicode();
        const char16_t b = name[i].unicode();
        if ((foldStored ? foldAscii(a) : a) != (foldName ? foldAscii(b) : b))
            return false;
    }
    return true;
}

// Names compared in lower case, as plain code units.
int compareLowerCase(QStringView a, QStringView b)
{
    const qsizetype common = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = foldAscii(a[i].unicode());
        const char16_t y = foldAscii(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// pak0.pak to pak99.pak, the archives a server reads by number.
bool isNumberedPak(QStringView name)
{
    if (!name.startsWith(u"pak") || !name.endsWith(u".pak"))
        return false;
    const QStringView number = name.sliced(3, name.size() - 7);
    const bool digits =
        std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; });
    return digits && (number.size() == 1 || (number.size() == 2 && number.front() != u'0'));
}

QString joined(const QString &shownAs, const QString &name)
{
    return shownAs == u"." ? name : shownAs + u'/' + name;
}

// The folders the game server searches, each with the name it is shown by.
QList<std::pair<QString, QString>> searchedFolders(const QString &folder)
{
    QList<std::pair<QString, QString>> folders = {{folder, QStringLiteral(".")}};
    if (QFileInfo(QFileInfo(folder).canonicalFilePath()).fileName() != u"baseq2")
        folders.append({folder + QStringLiteral("/../baseq2"), QStringLiteral("../baseq2")});
    return folders;
}

// A file of a game folder that may be an archive, as readdir names it.
struct ArchiveEntry
{
    QString name;
    QByteArray bytes; // the name as the file system has it
    bool regular;     // readdir says a regular file: no look of its own is needed to open it
};

// The folder's archives by name: regular files, links to anything but a
// folder, dangling links and other files that are not folders, hidden ones
// too, sorted as QDir sorts names. Read with readdir rather than QDir, which
// looks at every file by name and makes a QFileInfo of it: in a folder of a
// thousand paks that was a fifth of what reading their directories costs.
std::vector<ArchiveEntry> archivesIn(int folder)
{
    std::vector<ArchiveEntry> archives;
    const int listed = folder < 0 ? -1 : ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return archives;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray bytes(entry->d_name);
        if (!bytes.endsWith(".pak") && !bytes.endsWith(".pk3") && !bytes.endsWith(".pkz"))
            continue;
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info = {};
            if (::fstatat(folder, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode))
                continue;
        }
        archives.push_back({QFile::decodeName(bytes), bytes, entry->d_type == DT_REG});
    }
    ::closedir(dir);
    std::sort(archives.begin(), archives.end(),
              [](const ArchiveEntry &a, const ArchiveEntry &b) { return a.name < b.name; });
    return archives;
}

UniqueFd openFolder(const QString &path)
{
    return UniqueFd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// maps/ is searched this deep and as far as this many files and folders:
// a path of the game holds at most 64 characters, and the original game's
// maps number in the dozens.
constexpr int walkDepthLimit = 32;
constexpr qsizetype walkEntryLimit = qsizetype(1) << 20;

// What the walk of maps/ meets, each with its path below maps/.
enum class Met {
    Map,        // a regular file NAME.bsp
    Folder,     // a folder, searched
    NotRegular, // NAME.bsp that is a FIFO, a socket or a device
    Dangling,   // NAME.bsp, a link to nothing
    LinkLoop,   // NAME.bsp, a link that leads back to itself
    FolderLoop, // a link to a folder above it, not searched again
    TooDeep,    // a folder past the depth bound, not searched
    TooMany,    // the count bound reached, the rest not searched
    Unreadable, // a folder that could not be read; detail: errno
};

// Walks a maps/ folder as the game server finds files in it: a name is
// followed through links, as opening it follows them, so a linked folder is
// searched and only what opens as a regular file is a map. Nothing is opened
// but folders.
class MapsWalk
{
public:
    using Visit = std::function<void(Met, const QByteArray &relative, int detail)>;
    explicit MapsWalk(Visit visit) : m_visit(std::move(visit)) {}

    void run(const QByteArray &maps)
    {
        const int fd = ::open(maps.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                m_visit(Met::Unreadable, {}, errno);
            return;
        }
        walk(fd, {}, 0);
    }

private:
    struct Identity
    {
        dev_t device;
        ino_t inode;
    };

    // Takes fd over.
    void walk(int fd, const QByteArray &relative, int depth)
    {
        struct stat folder = {};
        if (::fstat(fd, &folder) != 0) {
            ::close(fd);
            return;
        }
        for (const Identity &above : m_path) {
            if (above.device == folder.st_dev && above.inode == folder.st_ino) {
                ::close(fd);
                m_visit(Met::FolderLoop, relative, 0);
                return;
            }
        }
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            m_visit(Met::Unreadable, relative, errno);
            ::close(fd);
            return;
        }
        m_path.push_back({folder.st_dev, folder.st_ino});
        const QByteArray prefix = relative.isEmpty() ? relative : relative + '/';
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (++m_entries > walkEntryLimit) {
                m_visit(Met::TooMany, {}, 0);
                break;
            }
            const QByteArray path = prefix + name;
            const bool bsp = path.endsWith(".bsp");
            struct stat info = {};
            if (::fstatat(::dirfd(dir), name, &info, 0) != 0) {
                const int error = errno;
                struct stat link = {};
                if (bsp && ::fstatat(::dirfd(dir), name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(link.st_mode))
                    m_visit(error == ELOOP ? Met::LinkLoop : Met::Dangling, path, error);
                continue;
            }
            if (S_ISDIR(info.st_mode)) {
                if (depth + 1 > walkDepthLimit) {
                    m_visit(Met::TooDeep, path, 0);
                    continue;
                }
                const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (child < 0) {
                    m_visit(Met::Unreadable, path, errno);
                    continue;
                }
                m_visit(Met::Folder, path, 0);
                walk(child, path, depth + 1);
                if (m_entries > walkEntryLimit)
                    break;
            } else if (bsp && path.size() > 4) {
                m_visit(S_ISREG(info.st_mode) ? Met::Map : Met::NotRegular, path, int(info.st_mode));
            }
        }
        m_path.pop_back();
        ::closedir(dir);
    }

    Visit m_visit;
    std::vector<Identity> m_path;
    qsizetype m_entries = 0;
};

} // namespace

GameFolders GameFolders::read(const QString &folder, const QList<QStringView> &judgedMaps)
{
    GameFolders folders;
    QList<QStringView> names;
    names.reserve(judgedMaps.size());
    for (const QStringView map : judgedMaps)
        names.append(map.endsWith(u".bsp") ? map.chopped(4) : map);
    folders.m_names.keepOnly(names);
    for (const auto &[path, shownAs] : searchedFolders(folder))
        folders.readFolder(path, shownAs);
    return folders;
}

GameFolders GameFolders::read(const QString &folder)
{
    GameFolders folders;
    for (const auto &[path, shownAs] : searchedFolders(folder))
        folders.readFolder(path, shownAs);
    return folders;
}

QByteArray GameFolders::stamp(const QString &folder)
{
    QByteArray stamp = QFile::encodeName(QFileInfo(folder).absoluteFilePath()) + '\n';
    // stat() rather than QFileInfo's times, which are local times and would
    // load the time-zone database into every start of the window.
    const auto note = [&stamp](const QByteArray &path) {
        struct stat status = {};
        ::stat(path.constData(), &status);
        stamp += path + ' ' + QByteArray::number(qint64(status.st_size)) + ' ' +
                 QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.' +
                 QByteArray::number(qint64(status.st_mtim.tv_nsec)) + '\n';
    };
    for (const auto &[path, shownAs] : searchedFolders(folder)) {
        const QDir dir(path);
        const UniqueFd archives = openFolder(path);
        for (const ArchiveEntry &archive : archivesIn(archives.get()))
            note(QFile::encodeName(path) + '/' + archive.bytes);
        // A loose map that comes or goes changes its folder's time.
        const QByteArray maps = QFile::encodeName(dir.filePath(QStringLiteral("maps")));
        if (!QFileInfo(dir.filePath(QStringLiteral("maps"))).isDir())
            continue;
        note(maps);
        MapsWalk([&](Met met, const QByteArray &relative, int) {
            if (met == Met::Folder)
                note(maps + '/' + relative);
        }).run(maps);
    }
    return stamp;
}

void GameFolders::readFolder(const QString &folder, const QString &shownAs)
{
    m_folders.append(shownAs);
    const QDir dir(folder);
    qsizetype count = 0;
    if (dir.exists(QStringLiteral("maps"))) {
        m_hasGameData = true;
        count += readLooseMaps(folder, shownAs);
    }

    // pak0.pak to pak99.pak in number order, then every other archive by name.
    const UniqueFd folderFd = openFolder(folder);
    std::vector<ArchiveEntry> archives = archivesIn(folderFd.get());
    const auto others =
        std::stable_partition(archives.begin(), archives.end(),
                              [](const ArchiveEntry &entry) { return isNumberedPak(entry.name); });
    std::stable_sort(archives.begin(), others, [](const ArchiveEntry &a, const ArchiveEntry &b) {
        return a.name.size() < b.name.size();
    });
    m_hasGameData = m_hasGameData || !archives.empty();
    QByteArray buffer; // one for every archive of the folder
    for (auto entry = archives.cbegin(); entry != archives.cend(); ++entry) {
        const QString path = dir.filePath(entry->name);
        // A name readdir saw as a regular file needs no look before it is
        // opened; any other goes the way of every file read by name.
        const RegularFileOpening file = entry->regular
                                            ? openListedRegularFile(folderFd.get(), entry->bytes, path)
                                            : openRegularFile(path);
        const bool numbered = entry < others && entry->name.size() == 8;
        count +=
            readArchive(file, entry->name.endsWith(u".pak"), joined(shownAs, entry->name), numbered, buffer);
    }
    m_mapCounts.append(count);
}

qsizetype GameFolders::readLooseMaps(const QString &folder, const QString &shownAs)
{
    const quint32 source = quint32(m_sources.size());
    m_sources.append({shownAs, SourceKind::Loose});
    const QString maps = joined(shownAs, QStringLiteral("maps"));
    bool walkedAll = true;
    const auto shown = [&maps](const QByteArray &relative) {
        return relative.isEmpty() ? maps : maps + u'/' + QFile::decodeName(relative);
    };
    qsizetype count = 0;
    MapsWalk([&](Met met, const QByteArray &relative, int detail) {
        switch (met) {
        case Met::Map:
            m_names.append(QFile::decodeName(relative.chopped(4)), source);
            ++count;
            break;
        case Met::Folder:
            break;
        case Met::NotRegular:
            problem(shown(relative), false,
                    QStringLiteral("is %1, not a regular file: the game server cannot load it")
                        .arg(kindOfFile(mode_t(detail))));
            break;
        case Met::Dangling:
            problem(shown(relative), false,
                    QStringLiteral("is a link to nothing: the game server cannot load it"));
            break;
        case Met::LinkLoop:
            problem(shown(relative), false,
                    QStringLiteral("is a loop of links: the game server cannot load it"));
            break;
        case Met::FolderLoop:
            walkedAll = false;
            problem(shown(relative), false,
                    QStringLiteral("links back to a folder above it, whose maps are listed once"));
            break;
        case Met::TooDeep:
            walkedAll = false;
            problem(shown(relative), false,
                    QStringLiteral("lies more than %1 folders deep below maps/; it was not searched")
                        .arg(walkDepthLimit));
            break;
        case Met::TooMany:
            walkedAll = false;
            problem(maps, false,
                    QStringLiteral("holds more than %1 files and folders; only the first %1 were searched")
                        .arg(walkEntryLimit));
            break;
        case Met::Unreadable:
            problem(shown(relative), false, QStringLiteral("cannot be read: %1").arg(systemError(detail)));
            break;
        }
    }).run(QFile::encodeName(folder + QStringLiteral("/maps")));
    if (!walkedAll)
        m_unwalkedMaps.append(QFileInfo(folder + QStringLiteral("/maps")).absoluteFilePath());
    return count;
}

qsizetype GameFolders::readArchive(const RegularFileOpening &file, bool pack, const QString &shownAs,
                                   bool numbered, QByteArray &buffer)
{
    if (file.fd < 0) {
        problem(shownAs, false, QStringLiteral("cannot be read: %1").arg(file.reason));
        return 0;
    }
    const quint32 source = quint32(m_sources.size());
    m_sources.append({shownAs, numbered ? SourceKind::Numbered : SourceKind::Other});
    const ArchiveListing listing = pack ? listPackMaps(file.fd, file.size, m_names, source, buffer)
                                        : listZipMaps(file.fd, file.size, m_names, source, buffer);
    ::close(file.fd);

    if (!listing.recognised) {
        if (!pack)
            problem(shownAs, false, QStringLiteral("is not a zip archive; no engine can load its maps"));
        else if (numbered)
            problem(
                shownAs, true,
                QStringLiteral(
                    "is not a pack file (it does not begin with PACK): the game server stops at start-up"));
        else
            problem(shownAs, false,
                    QStringLiteral("is not a pack file (it does not begin with PACK): engines that read "
                                   "every .pak stop at start-up"));
    }
    for (const QString &phrase : std::as_const(listing.problems))
        problem(shownAs, false, phrase + QStringLiteral("; its other maps were read"));
    return listing.maps;
}

QString GameFolders::sourceOf(qsizetype map) const
{
    const Source &source = m_sources[m_names.entry(map).source];
    if (source.kind != SourceKind::Loose)
        return source.shownAs;
    return joined(source.shownAs, QStringLiteral("maps/%1.bsp").arg(m_names.name(map)));
}

void GameFolders::index() const
{
    if (m_indexed)
        return;
    m_indexed = true;
    size_t tableSize = 16;
    while (tableSize < 2 * size_t(m_names.size()))
        tableSize *= 2;
    m_looseTable.assign(tableSize, 0);
    m_archivedTable.assign(tableSize, 0);
    m_archivedEveryEngine.assign(tableSize, false);
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const bool loose = isLoose(i);
        std::vector<quint32> &table = loose ? m_looseTable : m_archivedTable;
        const QStringView name = m_names.name(i);
        size_t slot = hashOf(name, !loose) & (tableSize - 1);
        while (table[slot] && !sameName(m_names.name(table[slot] - 1), name, !loose, !loose))
            slot = (slot + 1) & (tableSize - 1);
        if (!table[slot])
            table[slot] = quint32(i + 1);
        if (!loose && m_sources[m_names.entry(i).source].kind == SourceKind::Numbered)
            m_archivedEveryEngine[slot] = true;
    }
}

qsizetype GameFolders::findLoose(QStringView name, bool lowerCase) const
{
    index();
    const size_t mask = m_looseTable.size() - 1;
    for (size_t slot = hashOf(name, lowerCase) & mask; m_looseTable[slot]; slot = (slot + 1) & mask) {
        const qsizetype map = m_looseTable[slot] - 1;
        if (sameName(m_names.name(map), name, false, lowerCase))
            return map;
    }
    return -1;
}

qsizetype GameFolders::findArchived(QStringView name, bool *everyEngine) const
{
    index();
    const size_t mask = m_archivedTable.size() - 1;
    for (size_t slot = hashOf(name, true) & mask; m_archivedTable[slot]; slot = (slot + 1) & mask) {
        const qsizetype map = m_archivedTable[slot] - 1;
        if (sameName(m_names.name(map), name, true, true)) {
            *everyEngine = m_archivedEveryEngine[slot];
            return map;
        }
    }
    return -1;
}

namespace {

struct Sorted
{
    quint64 prefix;
    quint32 map;
};

// Sorts by prefix and keeps the order of equal ones: a digit of eleven bits
// at a time, least significant first, each a count and a move of every
// item, so that a million names take a few passes over memory rather than
// twenty million comparisons. A digit that every key shares is skipped.
// Room for the listing's sort, one item a map: in huge pages from a
// mebibyte on, as the names are.
LargeArray<Sorted> sortRoom(size_t size)
{
    LargeArray<Sorted> room(size, size * sizeof(Sorted) >= (size_t(1) << 20));
    room.fill();
    return room;
}

void sortByPrefix(LargeArray<Sorted> &items)
{
    if (items.size() < 64) {
        std::stable_sort(items.begin(), items.end(),
                         [](const Sorted &a, const Sorted &b) { return a.prefix < b.prefix; });
        return;
    }
    constexpr int digitBits = 11;
    constexpr size_t digits = size_t(1) << digitBits;
    LargeArray<Sorted> moved = sortRoom(items.size());
    std::vector<size_t> starts(digits);
    for (int shift = 0; shift < 64; shift += digitBits) {
        std::fill(starts.begin(), starts.end(), 0);
        for (const Sorted &item : items)
            ++starts[(item.prefix >> shift) & (digits - 1)];
        if (std::find(starts.cbegin(), starts.cend(), items.size()) != starts.cend())
            continue;
        size_t start = 0;
        for (size_t &count : starts)
            start += std::exchange(count, start);
        for (const Sorted &item : items)
            moved[starts[(item.prefix >> shift) & (digits - 1)]++] = item;
        std::swap(items, moved);
    }
}

} // namespace

void GameFolders::forEachMap(const std::function<void(QStringView name, QStringView source)> &visit) const
{
    // A loose file is found by its exact name, so "Dm" and "dm" are two maps;
    // an archived map is one whatever its letter case (the first archive
    // read gives it), and none where a loose file has its name in any case.
    // Sorted by the name in lower case, then loose before archived, then by
    // the name itself, then in the order read, which leaves each run of one
    // name in lower case with what to list at its front. The block is read
    // in order here, and no table is made.
    //
    // Each map goes with its first eight characters in lower case as one
    // number, which settles most of the order; a character past Latin-1 ends
    // the number there, and the runs of equal numbers are then sorted by
    // their whole names.
    LargeArray<Sorted> sorted = sortRoom(size_t(m_names.size()));
    for (qsizetype map = 0; map < m_names.size(); ++map) {
        const QStringView name = m_names.name(map);
        quint64 prefix = 0;
        for (qsizetype i = 0; i < 8; ++i) {
            const char16_t c = i < name.size() ? foldAscii(name[i].unicode()) : 0;
            prefix = (prefix << 8) | qMin<char16_t>(c, 255);
            if (c >= 255) {
                prefix <<= 8 * (7 - i);
                break;
            }
        }
        sorted[size_t(map)] = {prefix, quint32(map)};
    }
    sortByPrefix(sorted);
    const auto units = [](QStringView text) {
        return std::u16string_view(text.utf16(), size_t(text.size()));
    };
    const auto byWholeName = [&](const Sorted &a, const Sorted &b) {
        const QStringView x = m_names.name(a.map);
        const QStringView y = m_names.name(b.map);
        if (const int order = compareLowerCase(x, y))
            return order < 0;
        const bool looseA = isLoose(a.map);
        if (looseA != isLoose(b.map))
            return looseA;
        if (const int order = units(x).compare(units(y)))
            return order < 0;
        return a.map < b.map;
    };
    for (auto run = sorted.begin(); run != sorted.end();) {
        const auto end = std::find_if(run + 1, sorted.end(),
                                      [&run](const Sorted &item) { return item.prefix != run->prefix; });
        if (end - run > 1)
            std::sort(run, end, byWholeName);
        run = end;
    }

    for (size_t run = 0; run < sorted.size();) {
        // The run of one name in lower case.
        const QStringView key = m_names.name(sorted[run].map);
        size_t end = run + 1;
        while (end < sorted.size() && sorted[end].prefix == sorted[run].prefix &&
               compareLowerCase(m_names.name(sorted[end].map), key) == 0)
            ++end;
        if (isLoose(sorted[run].map)) {
            // Each exact name once, from the folder searched first.
            for (size_t i = run; i < end && isLoose(sorted[i].map); ++i) {
                if (i == run || units(m_names.name(sorted[i - 1].map)) != units(m_names.name(sorted[i].map)))
                    visit(m_names.name(sorted[i].map), sourceOf(sorted[i].map));
            }
        } else {
            const auto first =
                std::min_element(sorted.begin() + run, sorted.begin() + end,
                                 [](const Sorted &a, const Sorted &b) { return a.map < b.map; });
            visit(m_names.name(first->map), sourceOf(first->map));
        }
        run = end;
    }
}

qsizetype GameFolders::longestMapName() const
{
    qsizetype longest = 0;
    for (qsizetype i = 0; i < m_names.size(); ++i)
        longest = qMax(longest, qsizetype(m_names.entry(i).size));
    return longest;
}

QList<GameFolders::Map> GameFolders::maps() const
{
    QList<Map> maps;
    forEachMap([&maps](QStringView name, QStringView source) {
        maps.append({name.toString(), source.toString()});
    });
    return maps;
}

GameFolders::Found GameFolders::find(QStringView name) const
{
    // A check of a few names reads the block once for each, which costs less
    // than making the tables; a rotation's many names make them.
    constexpr int verdictsWithoutTables = 16;
    Found found;
    if (m_indexed || ++m_verdictsWithoutTables > verdictsWithoutTables) {
        found.loose = findLoose(name, false);
        found.looseLower = findLoose(name, true);
        found.archived = findArchived(name, &found.everyEngine);
        return found;
    }
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.entry(i).size != quint32(name.size()))
            continue;
        const QStringView stored = m_names.name(i);
        if (isLoose(i)) {
            if (found.loose < 0 && sameName(stored, name, false, false))
                found.loose = i;
            if (found.looseLower < 0 && sameName(stored, name, false, true))
                found.looseLower = i;
        } else if (sameName(stored, name, true, true)) {
            if (found.archived < 0)
                found.archived = i;
            found.everyEngine =
                found.everyEngine || m_sources[m_names.entry(i).source].kind == SourceKind::Numbered;
        }
    }
    return found;
}

bool GameFolders::looseOnDisk(QStringView name) const
{
    if (m_unwalkedMaps.isEmpty() || name.isEmpty() || name.startsWith(u'/') || name.contains(u'\0'))
        return false;
    for (const QStringView part : name.tokenize(u'/')) {
        if (part == u"..")
            return false;
    }
    for (const QString &maps : m_unwalkedMaps) {
        struct stat info = {};
        const QByteArray path = QFile::encodeName(QStringLiteral("%1/%2.bsp").arg(maps, name));
        if (::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return true;
    }
    return false;
}

std::optional<GameFolders::Verdict> GameFolders::verdict(QStringView map) const
{
    if (!m_hasGameData)
        return std::nullopt;
    const QStringView name = map.endsWith(u".bsp") ? map.chopped(4) : map;
    const Found found = find(name);
    const qsizetype archived = found.archived;
    if (found.loose >= 0 || (archived >= 0 && found.everyEngine) || looseOnDisk(name))
        return Verdict{Verdict::Level::EveryEngine, {}};
    const QString file = QStringLiteral("maps/%1.bsp").arg(name);
    if (archived >= 0)
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral("%1 is only in %2, which engines that read pak0.pak to pak9.pak alone do not read")
                .arg(file, sourceOf(archived))};
    if (const qsizetype lower = found.looseLower; lower >= 0)
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral(
                "%1 is only there as %2, which only engines that also try a name in lower case find")
                .arg(file, sourceOf(lower))};
    return Verdict{Verdict::Level::NoEngine, QStringLiteral("the game server cannot find %1").arg(file)};
}
