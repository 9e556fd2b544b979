// SPDX-License-Identifier: GPL-2.0-or-later
// What changes when the game folders' maps do, without reading them.
#include "gamedata/GameFolders.h"

#include "files/UniqueFd.h"
#include "gamedata/MapsWalk.h"
#include "gamedata/SearchOrder.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

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
    for (const auto &[path, shownAs] : SearchOrder::searchedFolders(folder)) {
        const QDir dir(path);
        const UniqueFd archives = SearchOrder::openFolder(path);
        for (const SearchOrder::ArchiveEntry &archive : SearchOrder::archivesIn(archives.get()))
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
