// SPDX-License-Identifier: GPL-2.0-or-later
#include "FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::~FolderLock()
{
    if (m_folder >= 0)
        ::close(m_folder); // lets go of the lock
}

bool FolderLock::lock()
{
    m_folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder >= 0) {
        int locked;
        do
            locked = ::flock(m_folder, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        if (locked == 0)
            return true;
        ::close(m_folder);
        m_folder = -1;
    }
    // The lock file of a lock that nobody holds any more (its process is
    // gone) is taken over at once.
    m_file.emplace(QStringLiteral(".kezcfg-apply.lock"));
    m_file->setStaleLockTime(0);
    return m_file->lock();
}
