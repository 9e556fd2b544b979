// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/DescriptorIo.h"
#include "files/UniqueFd.h"

#include <QByteArray>
#include <functional>
#include <vector>

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
// but folders. It goes InputBounds::mapsWalkDepth folders deep and as far as
// InputBounds::mapsWalkEntries files and folders.
class MapsWalk
{
public:
    // detail: the file's mode for Map and NotRegular, errno for Dangling,
    // LinkLoop and Unreadable.
    using Visit = std::function<void(Met, const QByteArray &relative, int detail)>;
    explicit MapsWalk(Visit visit) : m_visit(std::move(visit)) {}

    void run(const QByteArray &maps);

private:
    void walk(UniqueFd folder, const QByteArray &relative, int depth);

    Visit m_visit;
    std::vector<FileId> m_path; // the folders from maps/ down to the one walked
    qsizetype m_entries = 0;
};
