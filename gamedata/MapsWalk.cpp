// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/MapsWalk.h"

#include "gamedata/FolderListing.h"
#include "text/InputBounds.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

void MapsWalk::run(const QByteArray &maps)
{
    UniqueFd fd(::open(maps.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            m_visit(Met::Unreadable, {}, errno);
        return;
    }
    walk(std::move(fd), {}, 0);
}

void MapsWalk::walk(UniqueFd folder, const QByteArray &relative, int depth)
{
    struct stat folderInfo = {};
    if (::fstat(folder.get(), &folderInfo) != 0)
        return;
    const FileId id = FileId::of(folderInfo);
    if (std::find(m_path.cbegin(), m_path.cend(), id) != m_path.cend()) {
        m_visit(Met::FolderLoop, relative, 0);
        return;
    }
    const FolderListing dir = listFolder(std::move(folder));
    if (!dir) {
        m_visit(Met::Unreadable, relative, errno);
        return;
    }
    m_path.push_back(id);
    const QByteArray prefix = relative.isEmpty() ? relative : relative + '/';
    while (const dirent *entry = ::readdir(dir.get())) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (++m_entries > InputBounds::mapsWalkEntries) {
            m_visit(Met::TooMany, {}, 0);
            break;
        }
        const QByteArray path = prefix + name;
        const bool bsp = path.endsWith(".bsp");
        struct stat info = {};
        if (::fstatat(::dirfd(dir.get()), name, &info, 0) != 0) {
            const int error = errno;
            struct stat link = {};
            if (bsp && ::fstatat(::dirfd(dir.get()), name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(link.st_mode))
                m_visit(error == ELOOP ? Met::LinkLoop : Met::Dangling, path, error);
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            if (depth + 1 > InputBounds::mapsWalkDepth) {
                m_visit(Met::TooDeep, path, 0);
                continue;
            }
            UniqueFd child(::openat(::dirfd(dir.get()), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (child.get() < 0) {
                m_visit(Met::Unreadable, path, errno);
                continue;
            }
            m_visit(Met::Folder, path, 0);
            walk(std::move(child), path, depth + 1);
            if (m_entries > InputBounds::mapsWalkEntries)
                break;
        } else if (bsp && path.size() > 4) {
            m_visit(S_ISREG(info.st_mode) ? Met::Map : Met::NotRegular, path, int(info.st_mode));
        }
    }
    m_path.pop_back();
}
