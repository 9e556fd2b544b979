// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The one writer of the configuration set, for Save and for kezcfg apply.
//
// A set is written whole or not at all. Every file is checked before any is
// written (links, kinds, permissions); each new file is written completely
// and synced beside the old one, and only then do the new files take the old
// ones' places. Where more than one file changes, or a file is rewritten in
// place, a journal in the working folder (.kezcfg-journal) names them first:
// should the process die while the files change places, the next write, or
// recover(), finishes the job from the journal, so the folder never keeps a
// mix of old and new files. Temporary files left by a write that died before
// that point are removed by the next one.
//
// A file keeps its owner, group and mode. One that cannot keep them when
// replaced (another user's file that the writer may write), or that has a
// second name (a hard link), is rewritten in place, from a synced copy of its
// new contents that the journal names; a failure there puts its old
// contents back.
//
// Links are followed under the link rule (LinkRule.h); a link it refuses
// stops the write before anything is written.
struct FileToWrite
{
    QString name; // in the working folder
    // Written one after another; a million-map rotation is never joined.
    QByteArrayList pieces;
    // A file made or replaced by a new one takes the owner, group and mode
    // of this file of the set where it can (a kept copy of a file looks as
    // the file did); empty: its own, or the user's for a new file.
    QString ownershipOf = {};
    // The name is taken away with the set instead (a kept copy of a file
    // that no longer belongs to the set); only a name in the working folder.
    bool remove = false;
};

struct FileSetOutcome
{
    bool complete = false;
    QString file;   // the file that stopped the write
    QString reason; // why, in plain words
    bool nothingChanged = true;
    // What the write found and completed of an interrupted one before it.
    QString recovered;
    // "could not write FILE: REASON; no file was changed"
    QString message() const;
};

// What an interrupted write had left behind.
struct Recovery
{
    enum class Outcome {
        Nothing,   // no journal: the last write finished or never began
        Completed, // a journal was found and its files were put in place
        Busy,      // another process is writing in this folder now
        Failed,    // a journal was found and could not be carried out
    };
    Outcome outcome = Outcome::Nothing;
    QStringList files; // the files it names
    QString message;   // a sentence for an operator, except for Nothing
};

namespace FileSetWriter {

// The journal's name in the working folder.
QString journalName();

// Finishes a write that was interrupted after its journal was written, and
// removes temporary files that a write interrupted before that left behind.
Recovery recover();

// What recover() would find, changing nothing.
Recovery inspect();

// The checks write() makes before it writes anything (what each name leads
// to, whether it may be written), changing nothing: complete when write()
// would get past them.
FileSetOutcome preflight(const QList<FileToWrite> &files);

// Writes every file or none of them, after recover(). stage is told each
// file's name before its new contents are written.
FileSetOutcome write(const QList<FileToWrite> &files,
                     const std::function<void(const QString &name)> &stage = nullptr);

} // namespace FileSetWriter
