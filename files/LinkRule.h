// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

// The link rule, for every name this program follows to write or to read.
//
// A link is followed as it stands only when it is trusted: the follower's
// own, and on the way to a folder also root's. Any other link is followed
// only where its owner could have written what it leads to: what it leads
// to must belong to the link's owner (looked at again on the folder actually
// held, once the link's names are used up); and in a sticky folder that
// everyone may write, only a link of the folder's owner is followed, as the
// kernel has it. So nobody can aim a privileged write at a file of their
// choosing, nor have a privileged reader take in a file of another user.
namespace LinkRule {

enum class Trust { OwnLinks, OwnAndRootsLinks };

// A link followed on condition: what it leads to must belong to owner.
struct Owed
{
    uid_t owner = 0;
    QByteArray link;   // where the link lies, for messages
    QByteArray target; // what it says
};

// The link at linkPath, looked at (link) in a folder (folder), judged by
// the user me: a refusal that names the link and its owner; or none, and
// then owes says whether it is followed only on condition (settle()).
std::optional<QString> judge(const struct stat &folder, const struct stat &link, const QByteArray &linkPath,
                             uid_t me, Trust trust, bool &owes);

// Whether what a link followed on condition led to may be taken: a refusal
// naming the link, its owner and where it leads, unless it exists (found)
// and belongs to the link's owner.
std::optional<QString> settle(const Owed &owed, const struct stat *found);

} // namespace LinkRule

// A path that a folder's owner chose, made safe to print.
QString shownPath(const QByteArray &path);

// "user nobody (65534)"
QString userName(uid_t user);
