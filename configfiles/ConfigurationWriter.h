// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/FormFields.h"
#include "files/FileSetWriter.h"
#include "files/FolderLock.h"

#include <functional>
#include <optional>

// File / Save: writes server.cfg, motd.txt and, with the map list ticked,
// maplist.txt into the working directory, all of them or none, reporting
// each stage through setStatusText. When a file cannot be written no file
// changes, and the status line keeps the last stage reached.
struct ConfigurationWriteResult
{
    bool complete;      // every file was written completely
    QString diagnostic; // otherwise the line written to the error stream about it
};
ConfigurationWriteResult writeConfigurationSet(const ServerSettings &settings,
                                               const std::function<void(const QString &)> &setStatusText);
// Takes the lock that every writer of the folder holds, waiting for an apply
// under way (saying who holds it through setStatusText and the error
// stream); the diagnostic when it was not had. Held from the first read of
// the files to the last rename, it keeps a save and an apply from mixing.
std::optional<QString> lockForSave(FolderLock &lock,
                                   const std::function<void(const QString &)> &setStatusText);
// The same for files already made (configurationFiles() and, from
// PreviousGeneration, the copies that keep what they replace, whose names
// the status line does not show), by a caller that has set the status text
// "Generating Files" and holds the lock.
ConfigurationWriteResult writeConfigurationFiles(const QList<FileToWrite> &files,
                                                 const std::function<void(const QString &)> &setStatusText);

// Lines as the files hold them: each ended by the platform's line separator,
// in UTF-8.
QByteArray encodedLines(const QStringList &lines);
QByteArray encodedLines(const TextLines &lines);

// The files of the configuration set as File / Save writes them.
QList<FileToWrite> configurationFiles(const ServerSettings &settings);
// The same as kezcfg apply writes them: motd.txt only withMotd, and
// maplist.txt from mapList where the rotation is already in bytes.
QList<FileToWrite> configurationFiles(const ServerSettings &settings, bool withMotd,
                                      const std::optional<QByteArrayList> &mapList);
