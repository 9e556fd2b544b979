// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/RegularFileReading.h"
#include "gamedata/ArchiveDirectories.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The maps the game server can load: those of the folder where server.cfg
// runs and of the baseq2 folder beside it (that folder alone when it is
// baseq2), as loose files under maps/ and in the .pak, .pk3 and .pkz
// archives. Only read, never written.
//
// Engines differ: every one reads pak0.pak to pak9.pak and finds a loose
// file by its exact name; current ones also read every other archive, and
// some also try a loose file's name in lower case.
//
// A loose map is a regular file, found through links as the server finds
// it: a link to a folder under maps/ is searched, and a dangling link, a
// loop of links or a FIFO named NAME.bsp is no map (a problem says why).
// maps/ and each archive's directory are read only as far as the bounds in
// InputBounds.h; past a bound, a problem names the file and the bound.
//
// The names are kept in one block (MapNameBlock); a verdict looks its name
// up in a table made at the first verdict, and only a listing sorts. The
// class is defined by concern: reading (GameFolders.cpp), the change stamp
// (GameFolderStamp.cpp), the index (MapIndex.cpp), the sorted listing
// (MapListing.cpp) and the verdicts (MapVerdicts.cpp).
class GameFolders
{
public:
    struct Map
    {
        QString name;   // as the archive or the file system has it
        QString source; // the file it comes from, as seen from the folder
    };
    struct Problem
    {
        QString file; // as seen from the folder
        bool error;   // true: the game server does not start
        QString sentence;
    };
    struct Verdict
    {
        enum class Level { EveryEngine, SomeEngines, NoEngine };
        Level level;
        QString sentence; // what is missing and which engines miss it; empty for EveryEngine
    };

    // Reads the game folders of folder, the one where server.cfg runs.
    static GameFolders read(const QString &folder);
    // The same, keeping only what the verdicts of these maps need: every
    // verdict on them, the folders, counts and problems are as read() gives
    // them; maps() lists only these.
    static GameFolders read(const QString &folder, const QList<QStringView> &judgedMaps);
    // Changes when a map or an archive comes, goes or is replaced in the game
    // folders of folder: costs a look at each archive and maps folder, not a
    // read of them.
    static QByteArray stamp(const QString &folder);

    // False when neither folder has a maps/ folder or an archive: then
    // nothing is known about any map.
    bool hasGameData() const { return m_hasGameData; }
    // The folders searched, as seen from the folder, and each one's map count.
    const QStringList &folders() const { return m_folders; }
    const QList<qsizetype> &mapCounts() const { return m_mapCounts; }
    const QList<Problem> &problems() const { return m_problems; }

    // Every map the server can load, each once (letter case ignored), by name.
    QList<Map> maps() const;
    // The same maps in the same order, one at a time, for a listing that
    // need not hold them all; name and source last as long as the call.
    void forEachMap(const std::function<void(QStringView name, QStringView source)> &visit) const;
    // The length of the longest name maps() gives.
    qsizetype longestMapName() const;
    // What the server makes of the map a rotation or "map" line names;
    // nothing without game data.
    std::optional<Verdict> verdict(QStringView map) const;

private:
    enum class SourceKind : quint8 { Loose, Numbered, Other };
    struct Source
    {
        QString shownAs; // the archive, or for loose maps their folder
        SourceKind kind;
    };

    void readFolder(const QString &folder, const QString &shownAs);
    qsizetype readLooseMaps(const QString &folder, const QString &shownAs);
    // Takes file's descriptor over; buffer is room for reading, kept from one
    // archive to the next.
    qsizetype readArchive(const RegularFileOpening &file, bool pack, const QString &shownAs, bool numbered,
                          QByteArray &buffer);
    void problem(const QString &file, bool error, const QString &sentence)
    {
        m_problems.append({file, error, sentence});
    }
    bool isLoose(qsizetype map) const
    {
        return m_sources[m_names.entry(map).source].kind == SourceKind::Loose;
    }
    QString sourceOf(qsizetype map) const;
    void index() const;
    // The map of that name, -1 for none: loose ones by their exact name (or
    // by the name in lower case), archived ones by the name in lower case.
    qsizetype findLoose(QStringView name, bool lowerCase) const;
    qsizetype findArchived(QStringView name, bool *everyEngine) const;
    struct Found
    {
        qsizetype loose = -1;      // by its exact name
        qsizetype looseLower = -1; // by the name in lower case
        qsizetype archived = -1;
        bool everyEngine = false; // a numbered pak holds it
    };
    Found find(QStringView name) const;

    QStringList m_folders;
    QList<qsizetype> m_mapCounts;
    QList<Problem> m_problems;
    bool m_hasGameData = false;
    MapNameBlock m_names; // every map found, in the order the server searches
    QList<Source> m_sources;
    // Open-addressed tables of indices into m_names, plus one (0: empty),
    // made at the first verdict or listing: the first loose map of each
    // exact name, and the first archived map of each name in lower case with
    // whether a numbered pak holds that name.
    mutable std::vector<quint32> m_looseTable;
    mutable std::vector<quint32> m_archivedTable;
    mutable std::vector<bool> m_archivedEveryEngine;
    mutable bool m_indexed = false;
    mutable int m_verdictsWithoutTables = 0;
    // Where a walk of maps/ stopped short of some names (a bound, or a link
    // back to a folder above, whose maps the server also finds by the longer
    // path), a name not found is looked at on disk, as the server does.
    QStringList m_unwalkedMaps;
    bool looseOnDisk(QStringView name) const;
};
