// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/DescriptorIo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The journal's format: a header naming the working folder, one line per
// file that says how it changes, where, and the identity of what it changes,
// so that a recovery acts on nothing else, and a closing line:
//   kezcfg-journal 1 FOLDER-ID
//   replace FOLDER BASE TEMPORARY FOLDER-ID
//   inplace FOLDER BASE COPY FILE-ID
//   remove FOLDER BASE - FOLDER-ID
//   end
struct JournalEntry
{
    bool inPlace = false;
    bool remove = false;
    QByteArray folder;
    QByteArray base;
    QByteArray temporary;
    QByteArray id; // fileIdText() of the folder, or of the file rewritten in place
};

namespace Journal {

inline constexpr char fileName[] = ".kezcfg-journal";

QByteArray text(const QList<JournalEntry> &entries, const FileId &workingFolder);

// None for anything but a journal of workingFolder that names only what a
// writer may change: a file's name without a folder of its own, a temporary
// file of the writer's, a removal in the working folder alone.
std::optional<QList<JournalEntry>> parse(const QByteArray &text, const FileId &workingFolder);

// The file's name as an operator knows it.
QString nameOf(const JournalEntry &entry);

} // namespace Journal
