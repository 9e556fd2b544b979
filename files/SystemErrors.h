// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The system's own phrase for an error number (strerror, in the locale's
// language).
QString systemError(int error);

// What the failure of a system call means for a file or for the folder that
// was to hold it, in an operator's words.
enum class ErrorContext { File, Folder };
QString plainReason(int error, ErrorContext context);
