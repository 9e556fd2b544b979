// SPDX-License-Identifier: GPL-2.0-or-later
// Finding a map by name: a scan of the block for a few names, open-addressed
// tables for many.
#include "gamedata/GameFolders.h"

#include "gamedata/MapNames.h"

void GameFolders::index() const
{
    if (m_indexed)
        return;
    m_indexed = true;
    size_t tableSize = 16;
    while (tableSize < 2 * size_t(m_names.size()))
        tableSize *= 2;
    m_looseTable.assign(tableSize, 0);
    m_archivedTable.assign(tableSize, 0);
    m_archivedEveryEngine.assign(tableSize, false);
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const bool loose = isLoose(i);
        std::vector<quint32> &table = loose ? m_looseTable : m_archivedTable;
        const QStringView name = m_names.name(i);
        size_t slot = MapNames::hash(name, !loose) & (tableSize - 1);
        while (table[slot] && !MapNames::same(m_names.name(table[slot] - 1), name, !loose, !loose))
            slot = (slot + 1) & (tableSize - 1);
        if (!table[slot])
            table[slot] = quint32(i + 1);
        if (!loose && m_sources[m_names.entry(i).source].kind == SourceKind::Numbered)
            m_archivedEveryEngine[slot] = true;
    }
}

qsizetype GameFolders::findLoose(QStringView name, bool lowerCase) const
{
    index();
    const size_t mask = m_looseTable.size() - 1;
    for (size_t slot = MapNames::hash(name, lowerCase) & mask; m_looseTable[slot]; slot = (slot + 1) & mask) {
        const qsizetype map = m_looseTable[slot] - 1;
        if (MapNames::same(m_names.name(map), name, false, lowerCase))
            return map;
    }
    return -1;
}

qsizetype GameFolders::findArchived(QStringView name, bool *everyEngine) const
{
    index();
    const size_t mask = m_archivedTable.size() - 1;
    for (size_t slot = MapNames::hash(name, true) & mask; m_archivedTable[slot]; slot = (slot + 1) & mask) {
        const qsizetype map = m_archivedTable[slot] - 1;
        if (MapNames::same(m_names.name(map), name, true, true)) {
            *everyEngine = m_archivedEveryEngine[slot];
            return map;
        }
    }
    return -1;
}

GameFolders::Found GameFolders::find(QStringView name) const
{
    // A check of a few names reads the block once for each, which costs less
    // than making the tables; a rotation's many names make them.
    constexpr int verdictsWithoutTables = 16;
    Found found;
    if (m_indexed || ++m_verdictsWithoutTables > verdictsWithoutTables) {
        found.loose = findLoose(name, false);
        found.looseLower = findLoose(name, true);
        found.archived = findArchived(name, &found.everyEngine);
        return found;
    }
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.entry(i).size != quint32(name.size()))
            continue;
        const QStringView stored = m_names.name(i);
        if (isLoose(i)) {
            if (found.loose < 0 && MapNames::same(stored, name, false, false))
                found.loose = i;
            if (found.looseLower < 0 && MapNames::same(stored, name, false, true))
                found.looseLower = i;
        } else if (MapNames::same(stored, name, true, true)) {
            if (found.archived < 0)
                found.archived = i;
            found.everyEngine =
                found.everyEngine || m_sources[m_names.entry(i).source].kind == SourceKind::Numbered;
        }
    }
    return found;
}
