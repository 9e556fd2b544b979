// SPDX-License-Identifier: GPL-2.0-or-later
// Reading the game folders: their maps/ folders and their archives, in the
// order the server searches them.
#include "gamedata/GameFolders.h"

#include "files/RegularFileReading.h"
#include "files/SystemErrors.h"
#include "files/UniqueFd.h"
#include "files/WriteTarget.h"
#include "gamedata/ArchiveDirectories.h"
#include "gamedata/MapsWalk.h"
#include "gamedata/SearchOrder.h"
#include "text/InputBounds.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

using SearchOrder::joined;

GameFolders GameFolders::read(const QString &folder, const QList<QStringView> &judgedMaps)
{
    GameFolders folders;
    QList<QStringView> names;
    names.reserve(judgedMaps.size());
    for (const QStringView map : judgedMaps)
        names.append(map.endsWith(u".bsp") ? map.chopped(4) : map);
    folders.m_names.keepOnly(names);
    for (const auto &[path, shownAs] : SearchOrder::searchedFolders(folder))
        folders.readFolder(path, shownAs);
    return folders;
}

GameFolders GameFolders::read(const QString &folder)
{
    GameFolders folders;
    for (const auto &[path, shownAs] : SearchOrder::searchedFolders(folder))
        folders.readFolder(path, shownAs);
    return folders;
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

    const UniqueFd folderFd = SearchOrder::openFolder(folder);
    std::vector<SearchOrder::ArchiveEntry> archives = SearchOrder::archivesIn(folderFd.get());
    SearchOrder::putInSearchOrder(archives);
    m_hasGameData = m_hasGameData || !archives.empty();
    QByteArray buffer; // one for every archive of the folder
    for (const SearchOrder::ArchiveEntry &entry : archives) {
        const QString path = dir.filePath(entry.name);
        // A name readdir saw as a regular file needs no look before it is
        // opened; any other goes the way of every file read by name.
        const RegularFileOpening file =
            entry.regular ? openListedRegularFile(folderFd.get(), entry.bytes, path) : openRegularFile(path);
        count += readArchive(file, entry.name.endsWith(u".pak"), joined(shownAs, entry.name),
                             entry.readByEveryEngine, buffer);
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
                        .arg(InputBounds::mapsWalkDepth));
            break;
        case Met::TooMany:
            walkedAll = false;
            problem(maps, false,
                    QStringLiteral("holds more than %1 files and folders; only the first %1 were searched")
                        .arg(InputBounds::mapsWalkEntries));
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
    const UniqueFd fd(file.fd);
    const quint32 source = quint32(m_sources.size());
    m_sources.append({shownAs, numbered ? SourceKind::Numbered : SourceKind::Other});
    const ArchiveListing listing = pack ? listPackMaps(fd.get(), file.size, m_names, source, buffer)
                                        : listZipMaps(fd.get(), file.size, m_names, source, buffer);

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
