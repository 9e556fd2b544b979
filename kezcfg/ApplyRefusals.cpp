// SPDX-License-Identifier: GPL-2.0-or-later
// What apply refuses to write although every value keeps the window's rules:
// what the game server would run otherwise than asked, or not at all.
#include "ApplySteps.h"
#include "CheckFindings.h"
#include "Commands.h"

#include "configfiles/ConfigurationLines.h"
#include "files/RegularFileReading.h"
#include "files/UniqueFd.h"
#include "gamedata/GameFolders.h"
#include "text/DecimalText.h"

namespace {

// The "map" line of server.cfg as File / Save would write it; 0 without one.
int startingMapLine(const ServerSettings &settings)
{
    const QStringList lines = ConfigurationLines::serverCfgLines(settings);
    for (qsizetype i = lines.size(); i-- > 0;) {
        const ConfigurationLines::ServerKey *key = ConfigurationLines::matchKey(lines[i]);
        const auto *control = key ? std::get_if<TextControl>(&key->target) : nullptr;
        if (control && *control == TextControl::StartingMap)
            return int(i + 1);
    }
    return 0;
}

} // namespace

// A mask the game reads as another would run other flags than were asked.
std::optional<int> refuseMasksTheGameReadsOtherwise(const ServerForm &form,
                                                    const QList<std::size_t> &families, bool force)
{
    for (const std::size_t family : families) {
        const qint32 mask = parseDecimalInteger(form.values.masks[family]).value_or(0);
        const qint32 seen = maskAsTheGameSeesIt(mask);
        if (seen == mask)
            continue;
        const QString variable = QString::fromUtf16(FlagTables::families[family]->variable);
        const QStringList applied = flagNamesIn(buildCatalogue(*FlagTables::families[family]), seen);
        const QString why =
            QStringLiteral("the game reads the %1 mask %2 as %3 (settings are 32-bit floats) and "
                           "applies: %4")
                .arg(variable)
                .arg(mask)
                .arg(seen)
                .arg(applied.isEmpty() ? QStringLiteral("no flag") : applied.join(QStringLiteral(", ")));
        if (!force)
            return refuseApply(why + QStringLiteral(" (--force writes it anyway)"));
        notice(QStringLiteral("--force: ") + why);
    }
    return std::nullopt;
}

// A configuration that names a map no engine finds takes the server down:
// it runs no level at start-up, or drops every player at the change of
// level. Judged as check judges the files apply would leave, where there is
// game data to judge by.
std::optional<int> refuseMapsNoEngineFinds(const ServerSettings &settings,
                                           const std::optional<PlainRotation> &plain,
                                           QByteArrayView mapListNow, bool force)
{
    const GameFolders game = GameFolders::read(QStringLiteral("."));
    if (!game.hasGameData())
        return std::nullopt;
    TextLines plainMaps;
    const TextLines *rotation = nullptr;
    if (settings.mapList) {
        if (plain)
            plainMaps = TextLines::split(QString::fromUtf8(plain->mapListPieces(mapListNow).join()));
        rotation = plain ? &plainMaps : &settings.maps;
    }
    const MapJudgement judged =
        judgeMaps(game, settings.text(TextControl::StartingMap), startingMapLine(settings), rotation);
    if (!judged.hasErrorInMaps())
        return std::nullopt;
    for (const Finding &finding : judged.maps) {
        if (finding.level == Finding::Level::Error)
            printErr(findingLine(finding) + u'\n');
    }
    if (force) {
        notice(QStringLiteral("--force: written although the game server cannot load the maps above"));
        return std::nullopt;
    }
    return refuseApply(
        QStringLiteral("the game server cannot load the maps above (--force writes them anyway)"));
}

std::optional<QString> whyUnreadable(const QString &name)
{
    const RegularFileOpening opening = openRegularFile(name);
    const UniqueFd fd(opening.fd);
    if (opening.outcome == RegularFileRead::Outcome::Missing)
        return std::nullopt;
    // Opened, so refused for its size alone.
    return fd.get() >= 0 ? QStringLiteral("it is larger than File / Open reads") : opening.reason;
}
