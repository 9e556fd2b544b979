// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QStringList>
#include <optional>

// The maps the game server can load: those of the folder where server.cfg
// runs and of the baseq2 folder beside it (that folder alone when it is
// baseq2), as loose files under maps/ and in the .pak, .pk3 and .pkz
// archives. Only read, never written.
//
// Engines differ: every one reads pak0.pak to pak9.pak and finds a loose
// file by its exact name; current ones also read every other archive, and
// some also try a loose file's name in lower case.
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
    // What the server makes of the map a rotation or "map" line names;
    // nothing without game data.
    std::optional<Verdict> verdict(QStringView map) const;

private:
    struct Archived
    {
        QString name;
        QString source;
        bool everyEngine;
    };

    void readFolder(const QString &folder, const QString &shownAs);
    qsizetype readLooseMaps(const QString &folder, const QString &shownAs);
    qsizetype readArchive(const QString &path, const QString &shownAs, bool numbered);
    void problem(const QString &file, bool error, const QString &sentence)
    {
        m_problems.append({file, error, sentence});
    }

    QStringList m_folders;
    QList<qsizetype> m_mapCounts;
    QList<Problem> m_problems;
    bool m_hasGameData = false;
    QHash<QString, QString> m_loose;     // exact name -> its file
    QHash<QString, Archived> m_archived; // name in lower case -> the first archive that holds it
    mutable QString m_exactKey;          // reused by verdict(), which a rotation calls a million times
    mutable QString m_lowerKey;
};
