// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/QuakeFlag.h"

#include <QList>
#include <array>
#include <span>

using FlagCatalogue = QList<QuakeFlag>;

// One row of a compiled-in flag table.
struct FlagTableRow
{
    const char16_t *name;
    qint32 value;
    const char *description = nullptr; // what the game option does, for DMFLAGS
};

// The fixed table of one flag family: its tab caption, the server.cfg
// variable that holds its mask and the number of that line in a file of 28
// lines (the masks are not in tab order there), and its flags in order.
struct FlagTable
{
    const char16_t *caption;
    const char16_t *variable;
    int serverCfgLine;
    std::span<const FlagTableRow> rows;
};

namespace FlagTables {
extern const FlagTable dmflags;
extern const FlagTable weapons;
extern const FlagTable kezweapons;
extern const FlagTable kezsweepers;
extern const FlagTable kezgrenades;
extern const FlagTable features;
extern const FlagTable kezfeatures;
extern const FlagTable kezarmors;
extern const FlagTable fragban;

// The nine families in tab order, which is also the order in which File /
// Open tries their keys. A family is known elsewhere by its place here.
inline constexpr std::size_t familyCount = 9;
extern const std::array<const FlagTable *, familyCount> families;
} // namespace FlagTables

FlagCatalogue buildCatalogue(const FlagTable &table);

// The flag of that name, letter case ignored, or nullptr.
const QuakeFlag *findFlag(const FlagCatalogue &catalogue, QStringView name);

// What the flag called name does in the game, if its table says.
QString flagDescription(const FlagTable &table, QStringView name);

// The bits that the catalogue's flags carry, together.
quint32 carriedBits(const FlagCatalogue &catalogue);

// The names of the flags that have a bit in mask, in catalogue order.
QStringList flagNamesIn(const FlagCatalogue &catalogue, qint32 mask);
