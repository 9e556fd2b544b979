// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "text/TextLines.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <memory>

// A text file that a save either writes completely or leaves as it was.
//
// Where the old file can be replaced without anyone noticing a difference
// (the new file keeps its owner, group and mode, and it has no other name),
// the text goes to a new file beside it, which takes its place only once
// every byte is down and synced. Otherwise (a file of another user that the
// saving user may write, a hard link, a folder where no new file can be
// made) the file is rewritten in place and, should that fail, given its old
// bytes back.
//
// Only regular files are written: a name or a link that leads to a device, a
// FIFO, a socket or a folder stops the save. A link in a sticky folder that
// everyone may write is followed only when it belongs to the saving user or
// to the folder's owner, as the kernel does for opens, so that another user
// cannot aim a save at a file of their choosing.
class SafeTextFile
{
public:
    explicit SafeTextFile(const QString &fileName);
    ~SafeTextFile();
    SafeTextFile(const SafeTextFile &) = delete;
    SafeTextFile &operator=(const SafeTextFile &) = delete;

    // False when the file cannot be written at all; nothing is changed then.
    bool open();
    // Adds each line and the platform's line separator, in UTF-8. Nothing
    // reaches the file before commit.
    void writeLines(const QStringList &lines);
    void writeLines(const TextLines &lines);
    // Adds text that is already encoded, line ends and all. The bytes are
    // kept as they are, not copied, until commit writes them.
    void writeBytes(const QByteArray &bytes) { m_text.append(bytes); }
    // True only when every byte reached the file; on false the file holds
    // what it held before open whenever that can be put back.
    bool commit();

    QString fileName() const { return m_fileName; }
    // Why open or commit failed.
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &reason);
    void write(const QString &text);
    bool openReplacement(bool keepOwnership, uint ownerId, uint groupId, uint mode);
    bool openInPlace();
    bool commitReplacement();
    bool commitInPlace();

    QString m_fileName;
    QByteArray m_target;   // the regular file that the name leads to
    QByteArrayList m_text; // in order; a million-map rotation is not copied into one
    QString m_error;
    std::unique_ptr<QSaveFile> m_replacement;
    int m_inPlace = -1; // descriptor of a file rewritten in place
    std::optional<QByteArray> m_previous;
};
