// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArrayList>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

// Every open of a file that others may have put in place: no controlling
// terminal, not inherited, and never blocked by a FIFO put where a file was.
inline constexpr int safeOpenFlags = O_NOCTTY | O_CLOEXEC | O_NONBLOCK;

// Which file a descriptor or a name led to: the same device and inode is the
// same file, whatever its name now is.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
    static FileId of(const struct stat &info) { return {info.st_dev, info.st_ino}; }
};

// "DEVICE:INODE", as the journal and the lock write it.
QByteArray fileIdText(const FileId &id);

// Reads and writes at an offset, going on after a signal and after a short
// transfer, so that no caller has a loop of its own.

// Exactly length bytes from offset; false on an error or an early end.
bool readAt(int fd, qint64 offset, char *buffer, qsizetype length);
// Everything from the start to the end; none with errno on an error, or
// with EFBIG when there is more than limit bytes.
std::optional<QByteArray> readAll(int fd, qint64 limit = -1);
// pieces one after another from the start; false with errno on a failure
// (ENOSPC when the file system takes no more).
bool writeAll(int fd, const QByteArrayList &pieces);
// pieces over the file's contents, then cut to their length and synced. The
// contents go over the old ones before the file is cut, so that a failure
// never leaves less room than the old contents need to be put back.
bool overwrite(int fd, const QByteArrayList &pieces);

// Makes the names in a folder last. A folder opened only as a path cannot be
// synced; the files in it are.
void syncFolder(int folder);
