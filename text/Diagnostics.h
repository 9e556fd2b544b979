// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The program's one channel for diagnostics. The window shows failures only
// as status texts, so the reason goes to the error stream, one line each.
namespace Diagnostics {

// Writes "kez-server-config: " and text as one line on the error stream.
void warn(const QString &text);

// A line of a file as it may safely appear in a diagnostic: in double quotes,
// at most its first 200 characters, with control characters escaped, so that
// a file can neither flood the terminal nor send it escape sequences.
QString quoted(QStringView line);

} // namespace Diagnostics
