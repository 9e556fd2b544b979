// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Output.h"

#include "files/FolderLock.h"
#include "text/NearestName.h"

#include <QStringList>
#include <optional>

struct CallDeadline;
class RemoteConsoles;

// The commands of kezcfg. Each returns the exit status: 0 on success, 1 when
// check finds warnings only, 2 on an error (with one line on standard error).
namespace Commands {
int flags(const QStringList &arguments);
int decode(const QStringList &arguments);
int encode(const QStringList &arguments);
int show(const QStringList &arguments);
int check(const QStringList &arguments);
int maps(const QStringList &arguments);
int apply(const QStringList &arguments);
int status(const QStringList &arguments);
// status as the last step of another command: within that command's
// deadline, and with its consoles when it opened them for the same servers.
int status(const QStringList &arguments, const CallDeadline *deadline, RemoteConsoles *consoles);
int reload(const QStringList &arguments);
int restore(const QStringList &arguments);
} // namespace Commands

class QFile;
// A file's bytes as File / Open would take them, mapped where they can be:
// none where it is not a regular file of at most the size Open reads.
std::optional<QByteArray> currentBytes(QFile &file);
// A unified diff from diff(1) of a file's bytes before and after; a file
// that was not there is /dev/null.
QByteArray unifiedDiff(const QString &name, const std::optional<QByteArray> &before, const QByteArray &after);

// Refuses the first argument of command that looks like an option and is
// none of known, naming the nearest known one; valued: the options that take
// the next argument as their value. Nothing when every option is known.
std::optional<int> refuseUnknownOption(const QString &command, const QStringList &arguments,
                                       const QStringList &known, const QStringList &valued = {});

// Why the folder cannot be gone into, in words for the case.
int folderFailure(const QString &folder);
// Makes folder the working folder, opened from "/" under the link rule;
// the exit status, after a message, when it was not.
std::optional<int> enterFolder(const QString &folder);

// Before command reads the set it will write: takes the lock that every
// writer of the folder holds (not when it only checks) and finishes what an
// interrupted write left (only looks, when it checks), so that what it
// compares is one whole set. The exit status, after "COMMAND refused: ..."
// on standard error, when it may not go on.
std::optional<int> holdFolderForWriting(const QString &command, FolderLock &lock, bool check,
                                        std::chrono::milliseconds wait);

// The value of a numeric option such as --timeout: a finite number from
// minimum to maximum. Nothing, and a message with the range on standard
// error, for anything else (nan, inf, a negative, 1e-300).
std::optional<double> numberOption(const QString &option, const QString &value, const QString &unit,
                                   double minimum, double maximum);
