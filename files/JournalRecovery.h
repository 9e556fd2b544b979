// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/FileSetWriter.h"

// What an interrupted write left behind in workingFolder, and with change,
// finished from its journal: every file it names is put in place, then the
// journal and any temporary file left over go.
Recovery recoverIn(int workingFolder, bool change);
