// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

// Which folders and archives the game server searches, and in which order.
namespace SearchOrder {

// The folders the game server searches, each with the name it is shown by:
// folder, and the baseq2 folder beside it unless folder is baseq2.
QList<std::pair<QString, QString>> searchedFolders(const QString &folder);

// name as seen from the folder, for a file of the searched folder shownAs.
QString joined(const QString &shownAs, const QString &name);

UniqueFd openFolder(const QString &path);

// A file of a game folder that may be an archive, as readdir names it.
struct ArchiveEntry
{
    QString name;
    QByteArray bytes;               // the name as the file system has it
    bool regular;                   // readdir says a regular file: no look of its own is needed to open it
    bool readByEveryEngine = false; // pak0.pak to pak9.pak, once put in search order
};

// The folder's archives by name: regular files, links to anything but a
// folder, dangling links and other files that are not folders, hidden ones
// too, sorted as QDir sorts names. None when folder is -1.
std::vector<ArchiveEntry> archivesIn(int folder);

// Puts archives, as archivesIn gives them, in the order the server reads
// them: pak0.pak to pak99.pak in number order, then every other archive by
// name.
void putInSearchOrder(std::vector<ArchiveEntry> &archives);

} // namespace SearchOrder
