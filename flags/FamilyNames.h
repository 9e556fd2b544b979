// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"

#include <optional>

// A family named on the command line by its server.cfg variable
// ("weaponban") or its tab caption ("Weapon Ban"), letter case ignored; its
// place in FlagTables::families.
std::optional<std::size_t> familyNamed(QStringView name);

// A family named by its server.cfg variable alone, letter case ignored, as
// JSON input and a server's info string name it.
std::optional<std::size_t> familyOfVariable(QStringView variable);

// "dmflags, weaponban, ...", for messages.
QString familyVariables();
// Every name familyNamed takes, variables and captions, for "did you mean".
QStringList familyNames();
// The flag names of a catalogue, for "did you mean".
QStringList flagNamesOf(const FlagCatalogue &catalogue);
// "Weapon Ban has no flag "NAME"; did you mean ...?", for a name that
// catalogue, of the family table, does not hold.
QString noFlagNamed(const FlagTable &table, const FlagCatalogue &catalogue, const QString &name);
