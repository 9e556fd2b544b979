// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/PlainRotation.h"
#include "configfiles/ServerForm.h"
#include "files/FileSetWriter.h"

#include <QFile>
#include <QJsonObject>
#include <optional>

// The steps of kezcfg apply, each in the words apply has always used. A step
// that stops apply returns the exit status, after its one line on standard
// error; nothing when apply goes on.

// "apply refused: MESSAGE; no file was changed", and the status of an error.
int refuseApply(const QString &message);

// The input as read, within its bounds. Its bytes may be a mapping of file,
// which lasts as long as the file object.
struct ApplyInputFile
{
    QFile file;
    QString name; // "standard input" or the path in quotes, for messages
    QByteArray bytes;
};
std::optional<int> readApplyInput(const QString &input, ApplyInputFile &read);

// The input's object, and its rotation where it was read plainly.
// mapListNow: the bytes of maplist.txt, against which a plain rotation is
// laid out.
struct ParsedApplyInput
{
    QJsonObject object;
    std::optional<PlainRotation> plain;
};
std::optional<int> parseApplyInput(const ApplyInputFile &input, QByteArrayView mapListNow,
                                   ParsedApplyInput &parsed);

// The configuration of the folder laid into form, as File / Open reads it;
// a folder without server.cfg starts from the window's own state.
std::optional<int> readCurrentConfiguration(ServerForm &form);

// Refuses what the game would run otherwise than asked, or not at all:
// masks the game reads as other masks (families: the ones given), and maps
// no engine finds in the game data. With force each is written anyway, and
// said so.
std::optional<int> refuseMasksTheGameReadsOtherwise(const ServerForm &form,
                                                    const QList<std::size_t> &families, bool force);
std::optional<int> refuseMapsNoEngineFinds(const ServerSettings &settings,
                                           const std::optional<PlainRotation> &plain,
                                           QByteArrayView mapListNow, bool force);

// Why a file that File / Open would not take cannot be read; nothing when it
// is missing.
std::optional<QString> whyUnreadable(const QString &name);

// The bytes of an open file, mapped into memory where it can be; they last
// as long as the file object.
QByteArray mappedBytes(QFile &file);

// The files of files whose bytes differ from the folder's; with diffs, the
// unified diff of each is added to it. mapListNow: maplist.txt as read.
QStringList changedFiles(const QList<FileToWrite> &files, const std::optional<QByteArray> &mapListNow,
                         QByteArray *diffs);

// Writes the changed files, with the set as it was kept as the previous
// generation in the same write.
std::optional<int> writeChanged(const QList<FileToWrite> &files, const QStringList &changed,
                                const std::optional<QByteArray> &mapListNow);
