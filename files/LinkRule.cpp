// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/LinkRule.h"

#include "text/Diagnostics.h"

#include <QFile>

#include <pwd.h>

QString shownPath(const QByteArray &path)
{
    return Diagnostics::quoted(QFile::decodeName(path));
}

QString userName(uid_t user)
{
    struct passwd entry = {};
    struct passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("user %1 (%2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(user);
    return QStringLiteral("user %1").arg(user);
}

namespace LinkRule {

std::optional<QString> judge(const struct stat &folder, const struct stat &link, const QByteArray &linkPath,
                             uid_t me, Trust trust, bool &owes)
{
    owes = link.st_uid != me && !(trust == Trust::OwnAndRootsLinks && link.st_uid == 0);
    const bool sharedSticky = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (owes && sharedSticky && link.st_uid != folder.st_uid)
        return QStringLiteral("%1 is a link of %2 in a shared sticky folder, and only your own links or "
                              "those of the folder's owner are followed there")
            .arg(shownPath(linkPath), userName(link.st_uid));
    return std::nullopt;
}

std::optional<QString> settle(const Owed &owed, const struct stat *found)
{
    if (!found)
        return QStringLiteral("%1 is a link of %2 to %3, which does not exist; only your own links are "
                              "followed to make a file")
            .arg(shownPath(owed.link), userName(owed.owner), shownPath(owed.target));
    if (found->st_uid != owed.owner)
        return QStringLiteral("%1 is a link of %2 to %3, which belongs to %4; a link is followed only when "
                              "it is your own or its owner owns what it leads to")
            .arg(shownPath(owed.link), userName(owed.owner), shownPath(owed.target), userName(found->st_uid));
    return std::nullopt;
}

} // namespace LinkRule
