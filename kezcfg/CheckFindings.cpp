// SPDX-License-Identifier: GPL-2.0-or-later
#include "CheckFindings.h"

#include "gamedata/GameFolders.h"
#include "text/OutsideText.h"

#include <algorithm>

QString findingLine(const Finding &finding)
{
    QString where = finding.file;
    if (finding.line)
        where += QStringLiteral(":%1").arg(finding.line);
    const char *level = finding.level == Finding::Level::Error     ? "error: "
                        : finding.level == Finding::Level::Warning ? "warning: "
                                                                   : "note: ";
    // Names of maps, archives and files come from the folder: never raw to a terminal.
    return printable((where.isEmpty() ? QString() : where + QStringLiteral(": ")) + QLatin1String(level) +
                     finding.sentence);
}

bool MapJudgement::hasErrorInMaps() const
{
    return std::any_of(maps.cbegin(), maps.cend(),
                       [](const Finding &finding) { return finding.level == Finding::Level::Error; });
}

MapJudgement judgeMaps(const GameFolders &game, QStringView startingMap, int startingMapLine,
                       const TextLines *rotation)
{
    MapJudgement judged;
    for (const GameFolders::Problem &problem : game.problems())
        judged.gameData.append({problem.file, 0,
                                problem.error ? Finding::Level::Error : Finding::Level::Warning,
                                problem.sentence});
    if (!game.hasGameData())
        return judged;
    const auto judge = [&](const QString &file, int line, QStringView map) {
        const std::optional<GameFolders::Verdict> verdict = game.verdict(map);
        if (verdict && verdict->level == GameFolders::Verdict::Level::NoEngine)
            judged.maps.append({file, line, Finding::Level::Error, verdict->sentence});
        else if (verdict && verdict->level == GameFolders::Verdict::Level::SomeEngines)
            judged.maps.append({file, line, Finding::Level::Warning, verdict->sentence});
    };
    if (!startingMap.isEmpty())
        judge(QStringLiteral("server.cfg"), startingMapLine, startingMap);
    if (rotation) {
        for (qsizetype i = 0; i < rotation->size(); ++i)
            judge(QStringLiteral("maplist.txt"), int(i + 1), rotation->at(i));
    }
    return judged;
}

Finding mapsNotChecked(const GameFolders &game)
{
    return {QString(), 0, Finding::Level::Note,
            QStringLiteral("the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                           ".pkz) in %1")
                .arg(game.folders().join(QStringLiteral(" or ")))};
}
