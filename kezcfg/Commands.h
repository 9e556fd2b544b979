// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandLine.h"
#include "Output.h"
#include "WorkingFolder.h"

#include "text/NearestName.h"

#include <QByteArray>
#include <optional>

struct CallDeadline;
class RemoteConsoles;

// The commands of kezcfg, each with its options as its command line gave
// them. Each returns the exit status: 0 on success, 1 when check finds
// warnings only, 2 on an error (with one line on standard error).
namespace Commands {
int flags(const FlagsOptions &options);
int decode(const DecodeOptions &options);
int encode(const EncodeOptions &options);
int show(const ShowOptions &options);
int check(const CheckOptions &options);
int maps(const MapsOptions &options);
int apply(const ApplyOptions &options);
// status, also as the last step of another command: within that command's
// deadline, and with its consoles when it opened them for the same servers.
int status(const StatusOptions &options, const CallDeadline *deadline = nullptr,
           RemoteConsoles *consoles = nullptr);
int reload(const ReloadOptions &options);
int restore(const RestoreOptions &options);
} // namespace Commands

class QFile;
// A file's bytes as File / Open would take them, mapped where they can be:
// none where it is not a regular file of at most the size Open reads.
std::optional<QByteArray> currentBytes(QFile &file);
// A unified diff from diff(1) of a file's bytes before and after; a file
// that was not there is /dev/null.
QByteArray unifiedDiff(const QString &name, const std::optional<QByteArray> &before, const QByteArray &after);
