// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "text/TextLines.h"

#include <QList>
#include <QString>

class GameFolders;

// One thing check says about a file, and how a line of its report reads.
struct Finding
{
    enum class Level { Note, Warning, Error };
    QString file; // empty: the configuration as a whole
    int line;     // 0: the file as a whole
    Level level;
    QString sentence;
};

// "maplist.txt:3: error: ...", "pak0.pak: warning: ...", "note: ..."
QString findingLine(const Finding &finding);

// What check makes of the maps a configuration names, against the game data
// of the working directory: apply refuses what it calls an error.
struct MapJudgement
{
    QList<Finding> gameData; // of the archives themselves
    QList<Finding> maps;     // of the starting map and the rotation
    bool hasErrorInMaps() const;
};

// rotation: the maps of maplist.txt, or none when the map list is off (the
// server then does not read it); startingMapLine: the "map" line of server.cfg.
MapJudgement judgeMaps(const GameFolders &game, QStringView startingMap, int startingMapLine,
                       const TextLines *rotation);

// The one line check prints when game has no game data: why no map was judged.
Finding mapsNotChecked(const GameFolders &game);
