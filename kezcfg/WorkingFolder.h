// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/FolderLock.h"

#include <QString>
#include <chrono>
#include <optional>

// Why the folder cannot be gone into, in words for the case.
int folderFailure(const QString &folder);
// Makes folder the working folder, opened from "/" under the link rule;
// the exit status, after a message, when it was not.
std::optional<int> enterFolder(const QString &folder);

// Before command reads the set it will write: takes the lock that every
// writer of the folder holds (not when it only checks) and finishes what an
// interrupted write left (only looks, when it checks), so that what it
// compares is one whole set. The exit status, after "COMMAND refused: ..."
// on standard error, when it may not go on.
std::optional<int> holdFolderForWriting(const QString &command, FolderLock &lock, bool check,
                                        std::chrono::milliseconds wait);
