// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FlagCatalogues.h"

namespace {

const FlagTableRow dmflagRows[] = {
    {u"DF_NO_HEALTH", 1, "No health items in the level."},
    {u"DF_NO_ITEMS", 2, "No power-ups or other items in the level."},
    {u"DF_WEAPONS_STAY", 4, "Weapons stay where they lie when picked up."},
    {u"DF_NO_FALLING", 8, "No damage from falling."},
    {u"DF_INSTANT_ITEMS", 16, "Power-ups take effect as soon as they are picked up."},
    {u"DF_SAME_LEVEL", 32, "The same level is played again when it ends."},
    {u"DF_SKINTEAMS", 64, "Teams are formed by player skin."},
    {u"DF_MODELTEAMS", 128, "Teams are formed by player model."},
    {u"DF_NO_FRIENDLY_FIRE", 256, "Players cannot hurt their team mates."},
    {u"DF_SPAWN_FARTHEST", 512, "Players respawn at the spawn point farthest from the others."},
    {u"DF_FORCE_RESPAWN", 1024, "Dead players respawn at once, without pressing a key."},
    {u"DF_NO_ARMOR", 2048, "No armour in the level."},
    {u"DF_ALLOW_EXIT", 4096, "Reaching the level's exit ends the level."},
    {u"DF_INFINITE_AMMO", 8192, "Weapons never run out of ammunition."},
    {u"DF_QUAD_DROP", 16384, "A player killed while holding quad damage drops it."},
    {u"DF_FIXED_FOV", 32768, "Players cannot change their field of view."},
    {u"DF_REVENGE_FACTOR", 65536,
     "Kez's revenge and high-fragger awards; switches on the Revenge Award and High Fragger Award spinners."},
    {u"DF_DAYNIGHT", 131072, "Kez's day and night cycle; switches on the Day-Night Time spinner."},
    {u"DF_ANTICAMPER", 262144, "Kez's anti-camper: players who stay in one place are punished."},
};

const FlagTableRow weaponRows[] = {
    {u"super blaster", 1},
    {u"shotgun", 2},
    {u"sniper gun", 4},
    {u"super shotgun", 8},
    {u"freeze gun", 16},
    {u"standard machinegun", 32},
    {u"machine rocket gun", 64},
    {u"burstfire machinegun", 128},
    {u"chaingun", 256},
    {u"streetsweeper", 512},
    {u"grenades", 1024},
    {u"cluster grenade", 2048},
    {u"rail bomb", 4096},
    {u"plasma grenade", 8192},
    {u"napalm grenade", 16384},
    {u"shrapnel grenade", 32768},
    {u"cataclysm device", 65536},
    {u"grenade launcher", 131072},
    {u"bazooka", 262144},
    {u"rocket launcher", 524288},
    {u"homing rocket launcher", 1048576},
    {u"hyperblaster", 2097152},
    {u"plasma rifle", 4194304},
    {u"railgun", 8388608},
    {u"flamethrower", 16777216},
    {u"BFG10K", 33554432},
};

const FlagTableRow kezWeaponRows[] = {
    {u"airfist", 1},
    {u"sword", 2},
    {u"pulserifle", 4},
    {u"nailgun", 8},
    {u"buckyball launcher", 16},
    {u"skipper homing rocket", 32},
    {u"guided missile", 64},
    {u"positron", 128},
    {u"Sticking Grenades", 256},
    {u"Icecube Gun", 512},
    {u"Durg", 1024},
    {u"Lightninggun", 2048},
    {u"Double Impact", 4096},
    {u"FBFG", 8192},
    {u"Disintegrator", 16384},
    {u"Vacuummaker", 32768},
    {u"Energy Vortex", 65536},
    {u"Spiral Rocket Launcher", 131072},
    {u"Sonic Railgun", 262144},
    {u"Explosive Shotgun", 524288},
    {u"Explosive Super Shotgun", 1048576},
};

const FlagTableRow kezSweeperRows[] = {
    {u"superblastersweeper", 1},
    {u"freezersweeper", 2},
    {u"grenadesweeper", 4},
    {u"bazookasweeper", 8},
    {u"railgunsweeper", 16},
    {u"Flamesweeper", 32},
    {u"Durgsweeper", 64},
    {u"Chunk Gun", 128},
    {u"snipersweeper", 256},
    {u"explosive chaingun", 512},
    {u"explosive streetsweeper", 1024},
};

const FlagTableRow kezGrenadeRows[] = {
    {u"plasmaclustergrenade", 1}, {u"telegrenade", 2},    {u"freezergrenade", 4},
    {u"homergrenade", 8},         {u"rocketgrenade", 16}, {u"Blindnessgrenade", 32},
};

const FlagTableRow featureRows[] = {
    {u"bandolier", 1},         {u"ammo pack", 2},     {u"silencer", 4},          {u"rebreather", 8},
    {u"environment suit", 16}, {u"adrenaline", 32},   {u"megahealth", 64},       {u"power armor", 128},
    {u"invulnerability", 256}, {u"decoy", 512},       {u"grappling hook", 1024}, {u"player ID", 2048},
    {u"kamikaze", 4096},       {u"lasersight", 8192}, {u"triplasers", 16384},    {u"nightvision", 32768},
    {u"push/pull", 65536},     {u"scanner", 131072},  {u"zoom view", 262144},    {u"jetpack", 524288},
};

const FlagTableRow kezFeatureRows[] = {
    {u"cloak", 1},
    {u"explosive", 2},
    {u"invis", 4},
    {u"flashlight", 8},
    {u"checkstats", 16},
    {u"Rangefinder", 32},
    {u"KEZ Player ID", 64},
    {u"Fake death", 128},
    {u"Angel of Death", 256},
    {u"Angel of Life", 512},
    {u"Angel of Mercy", 1024},
    {u"Angel of Frost", 2048},
    {u"Angel of Plague", 4096},
    {u"Sweeper Fire Mode", 8192},
    {u"Height", 16384},
    {u"Angel of Flame", 32768},
    {u"Angel of Horror", 65536},
    {u"Angel of Blindness", 131072},
    {u"Airstrike", 262144},
    {u"FPM", 524288},
    {u"Tracker", 1048576},
    {u"Angel of Revenge", 2097152},
    {u"Baton", 4194304},
    {u"Holo", 8388608},
};

const FlagTableRow kezArmorRows[] = {
    {u"Organic Armor", 1}, {u"Slug Armor", 2},    {u"Cell Armor", 4},     {u"Shell Armor", 8},
    {u"Bullet Armor", 16}, {u"Rocket Armor", 32}, {u"Grenade Armor", 64},
};

const FlagTableRow fragRows[] = {
    {u"frags for blaster", 134217728},
    {u"frags for telefrags", 268435456},
    {u"frags for kamikazes", 536870912},
    {u"frags for grappling hook", 1073741824},
};

} // namespace

namespace FlagTables {
const FlagTable dmflags{u"DMFLAGS", u"dmflags", 14, dmflagRows};
const FlagTable weapons{u"Weapon Ban", u"weaponban", 21, weaponRows};
const FlagTable kezweapons{u"Kez Weapon Ban", u"kezweaponban", 24, kezWeaponRows};
const FlagTable kezsweepers{u"Kez Sweeper Ban", u"kezsweeperban", 25, kezSweeperRows};
const FlagTable kezgrenades{u"Kez Grenade Ban", u"kezgrenadeban", 26, kezGrenadeRows};
const FlagTable features{u"Feature Ban", u"featureban", 22, featureRows};
const FlagTable kezfeatures{u"Kez Feature Ban", u"kezfeatureban", 27, kezFeatureRows};
const FlagTable kezarmors{u"Kez Armor Ban", u"kezarmorban", 28, kezArmorRows};
const FlagTable fragban{u"Frag Ban", u"fragban", 23, fragRows};

const std::array<const FlagTable *, familyCount> families = {
    &dmflags,  &weapons,     &kezweapons, &kezsweepers, &kezgrenades,
    &features, &kezfeatures, &kezarmors,  &fragban,
};
} // namespace FlagTables

FlagCatalogue buildCatalogue(const FlagTable &table)
{
    FlagCatalogue catalogue;
    catalogue.reserve(qsizetype(table.rows.size()));
    for (const FlagTableRow &row : table.rows)
        catalogue.append(QuakeFlag(QString::fromUtf16(row.name), row.value));
    return catalogue;
}

const QuakeFlag *findFlag(const FlagCatalogue &catalogue, QStringView name)
{
    for (const QuakeFlag &flag : catalogue) {
        if (flag.getFlagName().compare(name, Qt::CaseInsensitive) == 0)
            return &flag;
    }
    return nullptr;
}

quint32 carriedBits(const FlagCatalogue &catalogue)
{
    quint32 bits = 0;
    for (const QuakeFlag &flag : catalogue)
        bits |= quint32(flag.getFlagValue());
    return bits;
}

QStringList flagNamesIn(const FlagCatalogue &catalogue, qint32 mask)
{
    QStringList names;
    for (const QuakeFlag &flag : catalogue) {
        if (mask & flag.getFlagValue())
            names.append(flag.getFlagName());
    }
    return names;
}

QString flagDescription(const FlagTable &table, QStringView name)
{
    for (const FlagTableRow &row : table.rows) {
        if (row.description && QStringView(row.name) == name)
            return QString::fromUtf8(row.description);
    }
    return {};
}
