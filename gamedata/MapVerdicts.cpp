// SPDX-License-Identifier: GPL-2.0-or-later
// What the server makes of a map a rotation or a "map" line names.
#include "gamedata/GameFolders.h"

#include <QFile>
#include <sys/stat.h>

bool GameFolders::looseOnDisk(QStringView name) const
{
    if (m_unwalkedMaps.isEmpty() || name.isEmpty() || name.startsWith(u'/') || name.contains(u'\0'))
        return false;
    for (const QStringView part : name.tokenize(u'/')) {
        if (part == u"..")
            return false;
    }
    for (const QString &maps : m_unwalkedMaps) {
        struct stat info = {};
        const QByteArray path = QFile::encodeName(QStringLiteral("%1/%2.bsp").arg(maps, name));
        if (::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return true;
    }
    return false;
}

std::optional<GameFolders::Verdict> GameFolders::verdict(QStringView map) const
{
    if (!m_hasGameData)
        return std::nullopt;
    const QStringView name = map.endsWith(u".bsp") ? map.chopped(4) : map;
    const Found found = find(name);
    const qsizetype archived = found.archived;
    if (found.loose >= 0 || (archived >= 0 && found.everyEngine) || looseOnDisk(name))
        return Verdict{Verdict::Level::EveryEngine, {}};
    const QString file = QStringLiteral("maps/%1.bsp").arg(name);
    if (archived >= 0)
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral("%1 is only in %2, which engines that read pak0.pak to pak9.pak alone do not read")
                .arg(file, sourceOf(archived))};
    if (const qsizetype lower = found.looseLower; lower >= 0)
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral(
                "%1 is only there as %2, which only engines that also try a name in lower case find")
                .arg(file, sourceOf(lower))};
    return Verdict{Verdict::Level::NoEngine, QStringLiteral("the game server cannot find %1").arg(file)};
}
