// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/FormTables.h"

#include "app/ServerConfiguration.h"

#define CONTROL(name)                                                                                        \
    [](ServerConfiguration &w) -> QWidget * {                                                                \
        return w.name;                                                                                       \
    }

std::span<const MainPageControl> mainPageControls()
{
    static const MainPageControl controls[] = {
        {CONTROL(serverNameLabel), {0, 3, 84, 18}, "Server Name:", CONTROL(serverNameField)},
        {CONTROL(serverNameField), {84, 3, 246, 18}, nullptr, nullptr, TextControl::ServerName},
        {CONTROL(adminNameLabel), {0, 21, 84, 18}, "Admin Name:", CONTROL(adminNameField)},
        {CONTROL(adminNameField), {84, 21, 246, 18}, nullptr, nullptr, TextControl::AdminName},
        {CONTROL(emailLabel), {0, 39, 84, 18}, "email:", CONTROL(emailField)},
        {CONTROL(emailField), {84, 39, 246, 18}, nullptr, nullptr, TextControl::Email},
        {CONTROL(webpageLabel), {0, 57, 84, 18}, "webpage:", CONTROL(webpageField)},
        {CONTROL(webpageField), {84, 57, 246, 18}, nullptr, nullptr, TextControl::Webpage},
        {CONTROL(maxClientsSpinner), {426, 3, 48, 30}, nullptr, nullptr, SpinnerControl::MaxClients},
        {CONTROL(maxClientsLabel), {342, 9, 84, 18}, "Max Clients:", CONTROL(maxClientsSpinner)},
        {CONTROL(timeLimitSpinner), {426, 33, 48, 30}, nullptr, nullptr, SpinnerControl::TimeLimit},
        {CONTROL(timeLimitLabel), {342, 39, 84, 18}, "Time Limit:", CONTROL(timeLimitSpinner)},
        {CONTROL(fragLimitSpinner), {426, 63, 48, 30}, nullptr, nullptr, SpinnerControl::FragLimit},
        {CONTROL(fragLimitLabel), {342, 69, 84, 18}, "Frag Limit:", CONTROL(fragLimitSpinner)},
        {CONTROL(publicGameCheckbox),
         {222, 117, 96, 24},
         "public game",
         nullptr,
         CheckboxControl::PublicGame},
        {CONTROL(motdTextArea), {228, 225, 244, 256}},
        {CONTROL(motdLabel), {228, 201, 126, 24}, "Message Of the Day", CONTROL(motdTextArea)},
        {CONTROL(mapListCheckbox), {6, 117, 100, 24}, "Map List", nullptr, CheckboxControl::MapList},
        {CONTROL(mapList), {6, 147, 162, 276}},
        {CONTROL(addButton), {6, 459, 72, 24}, "add"},
        {CONTROL(removeButton), {96, 459, 72, 24}, "remove"},
        {CONTROL(startingMapLabel), {0, 93, 84, 18}, "Starting Map:", CONTROL(startingMapField)},
        {CONTROL(rconPasswdLabel), {0, 75, 84, 18}, "Rcon Passwd:", CONTROL(rconPasswdField)},
        {CONTROL(rconPasswdField), {84, 75, 246, 18}, nullptr, nullptr, TextControl::RconPassword},
        {CONTROL(revengeAwardSpinner),
         {426, 123, 48, 30},
         nullptr,
         nullptr,
         SpinnerControl::RevengeAward,
         "Enabled while DMFLAGS sets DF_REVENGE_FACTOR"},
        {CONTROL(revengeAwardLabel), {330, 129, 96, 18}, "Revenge Award:", CONTROL(revengeAwardSpinner)},
        {CONTROL(highFraggerAwardLabel),
         {306, 159, 120, 18},
         "High Fragger Award:",
         CONTROL(highFraggerAwardSpinner)},
        {CONTROL(highFraggerAwardSpinner),
         {426, 153, 48, 30},
         nullptr,
         nullptr,
         SpinnerControl::HighFraggerAward,
         "Enabled while DMFLAGS sets DF_REVENGE_FACTOR"},
        {CONTROL(dayNightTimeLabel), {332, 99, 94, 18}, "Day-Night Time:", CONTROL(dayNightTimeSpinner)},
        {CONTROL(dayNightTimeSpinner),
         {426, 93, 48, 30},
         nullptr,
         nullptr,
         SpinnerControl::DayNightTime,
         "Enabled while DMFLAGS sets DF_DAYNIGHT"},
        {CONTROL(mapField), {6, 429, 162, 24}},
        {CONTROL(startingMapField), {84, 93, 246, 18}, nullptr, nullptr, TextControl::StartingMap},
        {CONTROL(mapDirectionButtonUp), {174, 369, 20, 20}},
        {CONTROL(mapDirectionButtonDown), {174, 393, 20, 20}},
    };
    return controls;
}

using W = ServerConfiguration;

const std::array<FlagFamilyRow, familyCount> flagFamilyRows = {{
    {&W::dmflags, &W::DMFLAGSPanel, &W::availableFlagList, &W::availableFlagLabel, "Available Flags", 96, &W::setFlagList, &W::setFlagLabel,
     "Set Flags", 60, &W::DMFLAGSLabel, &W::setUpDMFLAGList, &W::setADMFlag,
     &W::availableFlagList_MouseClicked, &W::setFlagList_MouseClicked},
    {&W::weapons, &W::weaponBanPanel, &W::availableWeaponList, &W::availableWeaponLabel, "Available Weapons", 126,
     &W::bannedWeaponList, &W::bannedWeaponLabel, "Banned Weapons", 132, &W::weaponBanLabel, &W::setUpWeaponList,
     &W::setWeaponsFlag, &W::availableWeaponList_MouseClicked, &W::bannedWeaponList_MouseClicked},
    {&W::kezweapons, &W::kezWeaponBanPanel, &W::availableKezWeaponList, &W::availableKezWeaponLabel, "Available Kez Weapons", 144,
     &W::bannedKezWeaponList, &W::bannedKezWeaponLabel, "Banned Kez Weapons", 132, &W::kezWeaponBanLabel, &W::setUpKezWeaponList,
     &W::setKezWeaponsFlag, &W::availableKezWeaponList_MouseClicked, &W::bannedKezWeaponList_MouseClicked},
    {&W::kezsweepers, &W::kezSweeperBanPanel, &W::availableKezSweeperList, &W::availableKezSweeperLabel, "Available Kez Sweepers", 162,
     &W::bannedKezSweeperList, &W::bannedKezSweeperLabel, "Banned Kez Sweepers", 138, &W::kezSweeperBanLabel, &W::setUpKezSweeperList,
     &W::setKezSweepersFlags, &W::availableKezSweeperList_MouseClicked,
     &W::bannedKezSweeperList_MouseClicked},
    {&W::kezgrenades, &W::kezGrenadeBanPanel, &W::availableKezGrenadeList, &W::availableKezGrenadeLabel, "Available Kez Grenades", 96,
     &W::bannedKezGrenadeList, &W::bannedKezGrenadeLabel, "Banned Kez Grenades", 60, &W::kezGrenadeBanLabel, &W::setUpKezGrenadeList,
     &W::setKezGrenadeFlags, &W::availableKezGrenadeList_MouseClicked, &W::bannedKezGrenadeList_MouseClicked},
    {&W::features, &W::featureBanPanel, &W::availableFeatureList, &W::availableFeatureLabel, "Available Features", 96,
     &W::bannedFeatureList, &W::bannedFeatureLabel, "Banned Features", 60, &W::featureBanLabel, &W::setUpFeatureList,
     &W::setFeatureFlag, &W::availableFeatureList_MouseClicked, &W::bannedFeatureList_MouseClicked},
    {&W::kezfeatures, &W::kezFeatureBanPanel, &W::availableKezFeatureList, &W::availableKezFeatureLabel, "Available Kez Features", 96,
     &W::bannedKezFeatureList, &W::bannedKezFeatureLabel, "Banned Kez Features", 60, &W::kezFeatureBanLabel, &W::setUpKezFeatureList,
     &W::setKezFeatureFlag, &W::availableKezFeatureList_MouseClicked, &W::bannedKezFeatureList_MouseClicked},
    {&W::kezarmors, &W::kezArmorBanPanel, &W::availableKezArmorList, &W::availableKezArmorLabel, "Available Kez Armor", 96,
     &W::bannedKezArmorList, &W::bannedKezArmorLabel, "Banned Kez Armor", 60, &W::kezArmorBanLabel, &W::setUpKezArmorList,
     &W::setKezArmorFlag, &W::availableKezArmorList_MouseClicked, &W::bannedKezArmorList_MouseClicked},
    {&W::fragban, &W::fragBanPanel, &W::availableFragList, &W::availableFragLabel, "Available Frags", 96, &W::bannedFragList, &W::bannedFragLabel,
     "Banned Frags", 60, &W::fragBanLabel, &W::setUpFragList, &W::setFragBanFlag,
     &W::availableFragList_MouseClicked, &W::bannedFragList_MouseClicked},
}};
