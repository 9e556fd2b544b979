// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"

#include <QLockFile>
#include <chrono>
#include <functional>
#include <optional>

// Holds the working folder for one writer at a time (an apply, or the
// window's Save or Open), so that two never mix their files: a second waits
// until the first lets go, saying so, and gives up after a bounded wait.
//
// The lock is taken on the folder itself, which leaves nothing behind and
// which the kernel lets go of when the holder ends, however it ends. A file
// system that cannot lock a folder (NFS) gets a lock file instead,
// .kezcfg-apply.lock, removed again when the apply ends. A lock file that a
// process of another host left is never taken over: nobody here can tell
// whether that process still writes. Once it is older than staleAge it is
// reported as stale, naming its host and process, for an operator to remove.
class FolderLock
{
public:
    enum class Method { Folder, LockFile };
    static constexpr std::chrono::minutes staleAge{10};
    // How long apply, Save and Open wait for another writer by default.
    static constexpr std::chrono::milliseconds defaultWait = std::chrono::minutes(1);

    explicit FolderLock(Method method = Method::Folder) : m_method(method) {}
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Waits at most wait for the lock; say is told once, when the lock is
    // held by another, who holds it. The reason when it was not had.
    std::optional<QString> lock(std::chrono::milliseconds wait,
                                const std::function<void(const QString &)> &say);

private:
    std::optional<QString> lockFile(std::chrono::milliseconds wait,
                                    const std::function<void(const QString &)> &say);

    Method m_method;
    UniqueFd m_folder; // holds the lock while it is open
    std::optional<QLockFile> m_file;
};
