// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/FileSystemWords.h"

#include <cerrno>
#include <sys/stat.h>

QString fileErrorInPlainWords(const QByteArray &path, const QString &systemReason)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArrayLiteral(".")
                              : slash == 0 ? QByteArrayLiteral("/")
                                           : path.left(slash);
    struct stat info = {};
    // A folder that is gone keeps no name; one still open as the working
    // folder answers, but with no link left to it.
    if (::stat(folder.constData(), &info) != 0 ? errno == ENOENT : info.st_nlink == 0)
        return QStringLiteral("its folder no longer exists (it was deleted or moved away)");
    return systemReason;
}
