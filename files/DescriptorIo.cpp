// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/DescriptorIo.h"

#include <cerrno>
#include <limits>
#include <unistd.h>

namespace {

ssize_t readSome(int fd, char *buffer, qsizetype length, qint64 offset)
{
    ssize_t n;
    do
        n = ::pread(fd, buffer, size_t(length), off_t(offset));
    while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

QByteArray fileIdText(const FileId &id)
{
    return QByteArray::number(quint64(id.device)) + ':' + QByteArray::number(quint64(id.inode));
}

bool readAt(int fd, qint64 offset, char *buffer, qsizetype length)
{
    while (length > 0) {
        const ssize_t n = readSome(fd, buffer, length, offset);
        if (n <= 0)
            return false;
        buffer += n;
        offset += n;
        length -= n;
    }
    return true;
}

std::optional<QByteArray> readAll(int fd, qint64 limit)
{
    // Read straight into a buffer of the file's size and one byte more: that
    // byte tells that the file grew, and one beyond the limit that it is too
    // large, without holding more than the limit and one byte.
    const qint64 bound = limit >= 0 ? limit + 1 : std::numeric_limits<qsizetype>::max();
    struct stat info = {};
    const qint64 expected = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : 0;
    QByteArray bytes(qsizetype(qMin(expected + 1, bound)), Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used == bound) {
                bytes.clear();
                errno = EFBIG;
                return std::nullopt;
            }
            bytes.resize(qsizetype(qMin(qMax<qint64>(2 * qint64(used), 65536), bound)));
        }
        const ssize_t n = readSome(fd, bytes.data() + used, bytes.size() - used, used);
        if (n < 0) {
            // Freed first, so that nothing can change errno on the way out.
            const int error = errno;
            bytes.clear();
            errno = error;
            return std::nullopt;
        }
        if (n == 0)
            break;
        used += n;
    }
    bytes.truncate(used);
    return bytes;
}

bool writeAll(int fd, const QByteArrayList &pieces)
{
    qint64 offset = 0;
    for (const QByteArray &bytes : pieces) {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n =
                ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0) {
                errno = ENOSPC;
                return false;
            }
            done += n;
            offset += n;
        }
    }
    return true;
}

bool overwrite(int fd, const QByteArrayList &pieces)
{
    qsizetype size = 0;
    for (const QByteArray &bytes : pieces)
        size += bytes.size();
    return writeAll(fd, pieces) && ::ftruncate(fd, off_t(size)) == 0 && ::fsync(fd) == 0;
}

void syncFolder(int folder)
{
    ::fsync(folder);
}
