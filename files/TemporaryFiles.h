// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"

#include <QByteArray>
#include <QByteArrayView>

// The writer's temporary files: ".server.cfg.kezcfg-Ab3dE9" beside the file
// they stand for, names that nothing else makes. Each is locked for as long
// as it is open, so that another writer never takes one in use for a
// leftover.
namespace TemporaryFiles {

bool isTemporaryName(QByteArrayView name);

// A new temporary file for base in folder, its name in name; -1 with errno
// when none could be made.
UniqueFd create(int folder, const QByteArray &base, QByteArray &name);

// Removes the leftovers of a write that died before its journal: ours by
// their name, regular files, and locked by nobody.
void removeLeftovers(int folder);

} // namespace TemporaryFiles
