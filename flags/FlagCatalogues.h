#pragma once

#include "flags/QuakeFlag.h"

#include <QList>
#include <span>

using FlagCatalogue = QList<QuakeFlag>;

// One row of a compiled-in flag table.
struct FlagTableRow
{
    const char16_t *name;
    qint32 value;
};

// The fixed table of one flag family: its tab caption and its flags in order.
struct FlagTable
{
    const char16_t *caption;
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
} // namespace FlagTables

FlagCatalogue buildCatalogue(const FlagTable &table);
