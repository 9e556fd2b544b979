// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/DescriptorIo.h"

#include <cerrno>
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
    QByteArray bytes;
    char buffer[65536];
    for (qint64 offset = 0;;) {
        const ssize_t n = readSome(fd, buffer, sizeof buffer, offset);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
        offset += n;
        if (limit >= 0 && offset > limit)
            return std::nullopt;
    }
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
