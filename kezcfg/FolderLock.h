// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLockFile>
#include <optional>

// Holds the working folder for one apply at a time, so that two applies
// never mix their files: a second waits until the first lets go.
//
// The lock is taken on the folder itself, which leaves nothing behind and
// which the kernel lets go of when the holder ends, however it ends. A file
// system that cannot lock a folder (NFS) gets a lock file instead,
// .kezcfg-apply.lock, removed again when the apply ends.
class FolderLock
{
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Waits for the lock; false when it cannot be had at all.
    bool lock();

private:
    int m_folder = -1;
    std::optional<QLockFile> m_file;
};
