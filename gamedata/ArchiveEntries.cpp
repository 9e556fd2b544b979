// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/ArchiveEntries.h"

#include "text/InputBounds.h"

#include <QStringList>

qint64 ArchiveEntries::withinBound(qint64 entries, QStringList &problems)
{
    if (entries <= InputBounds::archiveEntries)
        return entries;
    problems.append(QStringLiteral("lists %1 entries; only the first %2 were read")
                        .arg(entries)
                        .arg(InputBounds::archiveEntries));
    return InputBounds::archiveEntries;
}
