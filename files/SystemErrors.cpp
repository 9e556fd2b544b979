// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/SystemErrors.h"

#include <cerrno>
#include <cstring>

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString plainReason(int error, ErrorContext context)
{
    const bool folder = context == ErrorContext::Folder;
    switch (error) {
    case ENOENT:
        return folder ? QStringLiteral("its folder no longer exists (it was deleted or moved away)")
                      : QStringLiteral("it no longer exists");
    case EACCES:
        return folder ? QStringLiteral("this user may not make files in its folder (permission denied)")
                      : QStringLiteral("this user may not write it (permission denied)");
    case EPERM:
        return QStringLiteral("the system does not allow it (operation not permitted)");
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
    case EROFS:
        return QStringLiteral("the file system is read-only");
    case ELOOP:
        return QStringLiteral("too many links lead on from one to the next");
    case EISDIR:
        return QStringLiteral("it is a folder");
    case ENOTDIR:
        return QStringLiteral("a part of its path is not a folder");
    default:
        return systemError(error);
    }
}
