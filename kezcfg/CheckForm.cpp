// SPDX-License-Identifier: GPL-2.0-or-later
// What check says of the configuration as a whole, once every line is read:
// the map list, the starting map, awards without their flag, and the maps
// the game data holds.
#include "Checker.h"
#include "Commands.h"

#include "configfiles/ConsoleRules.h"
#include "files/RegularFileReading.h"
#include "gamedata/GameFolders.h"

void Checker::checkForm(const ServerForm &form, const ConfigurationReadResult &result, int lineCount)
{
    using Outcome = ConfigurationReadResult::Outcome;
    if (result.outcome == Outcome::StoppedAtLine) {
        QString sentence = QStringLiteral("the line %1, so File / Open stops here").arg(result.reason);
        if (result.lineNumber + 1 == lineCount)
            sentence += QStringLiteral(" and does not read line %1").arg(lineCount);
        else if (result.lineNumber < lineCount)
            sentence +=
                QStringLiteral(" and does not read lines %1 to %2").arg(result.lineNumber + 1).arg(lineCount);
        fail(QStringLiteral("server.cfg"), result.lineNumber, sentence);
    } else if (result.outcome == Outcome::ReadFailed) {
        fail(QStringLiteral("maplist.txt"), 0, result.reason);
    }

    const ServerSettings &values = form.values;
    const int mapListLine = m_lastLineOfKey.value(QStringLiteral("set maplist"));
    if (values.mapList && values.maps.isEmpty()) {
        const RegularFileRead mapList = checkRegularFile(QStringLiteral("maplist.txt"), mapListSizeLimit);
        if (mapList.outcome == RegularFileRead::Outcome::NotOpened)
            fail(QStringLiteral("maplist.txt"), 0,
                 QStringLiteral("maplist.txt cannot be read (%1): File / Open leaves the map list empty, and "
                                "apply refuses to write it without a rotation")
                     .arg(mapList.reason));
        else
            warn(QStringLiteral("server.cfg"), mapListLine,
                 mapList.outcome == RegularFileRead::Outcome::Missing
                     ? QStringLiteral("the map list is on, but there is no maplist.txt")
                     : QStringLiteral("the map list is on, but maplist.txt is empty"));
    }
    const QString &startingMap = values.text(TextControl::StartingMap);
    if (values.mapList && !values.maps.isEmpty() && !startingMap.isEmpty() &&
        !values.maps.contains(startingMap))
        warn(
            QStringLiteral("server.cfg"), m_lastLineOfKey.value(QStringLiteral("map")),
            QStringLiteral("the starting map \"%1\" is not in the rotation of maplist.txt").arg(startingMap));
    if (values.mapList) {
        for (qsizetype i = 0; i < values.maps.size(); ++i) {
            if (const auto fault = ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, values.maps[i]))
                warn(QStringLiteral("maplist.txt"), int(i + 1),
                     QStringLiteral("the map name %1").arg(*fault));
        }
    } else if (!values.maps.isEmpty()) {
        note(QStringLiteral("maplist.txt"), 0,
             QStringLiteral(
                 "not judged: the map list is off (server.cfg line %1), so the game server does not "
                 "read it")
                 .arg(mapListLine));
    }
    // Without a "map" line the server starts no level, unless its own command
    // line names one, which a check of the folder cannot see.
    if (!m_lastLineOfKey.contains(QStringLiteral("map")))
        warn(QStringLiteral("server.cfg"), 0,
             QStringLiteral("there is no \"map\" line, so the game server starts no level unless its command "
                            "line names one (+map NAME)"));

    const QStringList set = form.families.front().banned();
    const auto awardWithoutFlag = [&](SpinnerControl spinner, const char *key, const char *flag) {
        if (values.number(spinner) != 0 && !set.contains(QLatin1String(flag), Qt::CaseInsensitive))
            warn(QStringLiteral("server.cfg"), m_lastLineOfKey.value(QLatin1String(key)),
                 QStringLiteral("\"%1\" is set, but DMFLAGS lacks %2, which switches it on")
                     .arg(QLatin1String(key), QLatin1String(flag)));
    };
    awardWithoutFlag(SpinnerControl::RevengeAward, "set revengeaward", "DF_REVENGE_FACTOR");
    awardWithoutFlag(SpinnerControl::HighFraggerAward, "set highfraggeraward", "DF_REVENGE_FACTOR");
    awardWithoutFlag(SpinnerControl::DayNightTime, "set daynighttime", "DF_DAYNIGHT");

    // setmaster makes a server public, whatever came before it.
    if (m_lastPrivateLine && m_lastSetmasterLine > m_lastPrivateLine && m_lastPublicLine < m_lastPrivateLine)
        warn(
            QStringLiteral("server.cfg"), m_lastPrivateLine,
            QStringLiteral("\"set public 0\" comes before setmaster (line %1), which makes the server public "
                           "again: this server is public")
                .arg(m_lastSetmasterLine));
}

// Whether the game server can load the starting map and every map of the
// rotation, from the game data beside the configuration.
void Checker::checkMaps(const ServerSettings &values)
{
    // Only the names judged here are kept from the game folders.
    QList<QStringView> names;
    names.reserve(values.maps.size() + 1);
    names.append(values.text(TextControl::StartingMap));
    for (qsizetype i = 0; i < values.maps.size(); ++i)
        names.append(values.maps.at(i));
    const GameFolders game = GameFolders::read(QStringLiteral("."), names);
    const MapJudgement judged =
        judgeMaps(game, values.text(TextControl::StartingMap), m_lastLineOfKey.value(QStringLiteral("map")),
                  values.mapList ? &values.maps : nullptr);
    m_findings += judged.gameData;
    m_findings += judged.maps;
    if (!game.hasGameData())
        m_findings.append(mapsNotChecked(game));
}
