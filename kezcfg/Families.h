// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"

#include <optional>

// A family named on the command line by its server.cfg variable
// ("weaponban") or its tab caption ("Weapon Ban"), letter case ignored; its
// place in FlagTables::families.
std::optional<std::size_t> familyNamed(QStringView name);

// "dmflags, weaponban, ...", for messages.
QString familyVariables();
