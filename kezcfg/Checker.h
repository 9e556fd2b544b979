// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CheckFindings.h"

#include "configfiles/ConfigurationReader.h"
#include "configfiles/KeptLines.h"
#include "configfiles/ServerForm.h"

#include <QHash>

// exec runs a file that may exec another: followed this deep, this many
// files in all, each read as server.cfg is, within its size bound.
constexpr int execDepth = 4;
constexpr int execFilesFollowed = 16;
// A stored text may vstr itself many times over: expansions are counted for
// the whole check, so that no file can make it run for hours.
constexpr int vstrsFollowed = 64;

// kezcfg check's reading of one folder: the lines of server.cfg, what the
// console would run through them, the configuration as a whole and its maps.
class Checker
{
public:
    int run();

private:
    void warn(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Warning, sentence});
    }
    void fail(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Error, sentence});
    }
    void note(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Note, sentence});
    }
    void checkLine(int number, const QString &line);
    QStringList settingsRun(QStringView text, int depth, bool direct);
    void followExec(const QString &name, int depth, QStringList &found);
    void checkMask(int number, std::size_t family, qint32 mask);
    void checkForm(const ServerForm &form, const ConfigurationReadResult &result, int lineCount);
    void checkMaps(const ServerSettings &values);
    int report();

    QList<Finding> m_findings;
    KeptLines::LineOwnership m_ownership; // sees the lines in order, for aliases
    QHash<QString, int> m_firstLineOfKey;
    QHash<QString, int> m_lastLineOfKey;
    int m_lastPrivateLine = 0; // the last "set public 0"
    int m_lastPublicLine = 0;  // the last "set public 1"
    int m_lastSetmasterLine = 0;
    QHash<QString, QString> m_variables; // what set lines stored, for vstr: by name as written
    int m_execsLeft = execFilesFollowed;
    int m_vstrsLeft = vstrsFollowed;
};
