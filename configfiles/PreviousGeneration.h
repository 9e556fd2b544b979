// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/FileSetWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The previous generation of the configuration set: server.cfg~, motd.txt~
// and maplist.txt~, the files a Save or an apply replaced, as they were, so
// that a regretted write can be had back (kezcfg restore). It is written by
// the one writer in the same set as the new files, all or none: a copy of
// each file of the set that was there, and no copy of one that was not.
namespace PreviousGeneration {

// server.cfg, motd.txt and maplist.txt.
QStringList setNames();
// "server.cfg~"
QString nameOf(const QString &file);

struct FoundFile
{
    QString name;
    std::optional<QByteArray> bytes; // none: there was no such file
};

// The files as they are, read as File / Open reads them (links by the
// writer's rules, regular files only, within Open's size bounds).
struct FoundSet
{
    QList<FoundFile> files;
    // "motd.txt: it is not a regular file", for each that is there but
    // could not be read; it is in neither list.
    QStringList unreadable;

    const FoundFile *find(const QString &name) const;
};
FoundSet readSet(const QStringList &names = setNames());

// Whether writing files would change one of before's.
bool changes(const FoundSet &before, const QList<FileToWrite> &files);

// The writer's entries that keep before as the previous generation: a copy
// of each file that was there, with its owner, group and mode (none where
// the copy holds those bytes already), and the copy taken away of each that
// was not there. Files that could not be read stay out of it.
QList<FileToWrite> entriesKeeping(const FoundSet &before);

// "server.cfg~, motd.txt~": the generation's files that are there now.
QStringList namesPresent();

} // namespace PreviousGeneration
