// The flag list pairs of ServerConfiguration: every family behaves the same
// through FlagFamily; only DMFLAGS also switches the award and day-night
// spinners.
#include "app/ServerConfiguration.h"

void ServerConfiguration::switchDMFLAGSpinners(const QString &flagName, bool set)
{
    if (flagName.compare(QStringLiteral("DF_REVENGE_FACTOR"), Qt::CaseInsensitive) == 0) {
        revengeAwardSpinner->setEnabled(set);
        highFraggerAwardSpinner->setEnabled(set);
    } else if (flagName.compare(QStringLiteral("DF_DAYNIGHT"), Qt::CaseInsensitive) == 0) {
        dayNightTimeSpinner->setEnabled(set);
    }
}

FlagMove ServerConfiguration::setADMFlag(const QString &name)
{
    return dmflags.set(name);
}
FlagMove ServerConfiguration::setWeaponsFlag(const QString &name)
{
    return weapons.set(name);
}
FlagMove ServerConfiguration::setKezWeaponsFlag(const QString &name)
{
    return kezweapons.set(name);
}
FlagMove ServerConfiguration::setKezSweepersFlags(const QString &name)
{
    return kezsweepers.set(name);
}
FlagMove ServerConfiguration::setKezGrenadeFlags(const QString &name)
{
    return kezgrenades.set(name);
}
FlagMove ServerConfiguration::setFeatureFlag(const QString &name)
{
    return features.set(name);
}
FlagMove ServerConfiguration::setKezFeatureFlag(const QString &name)
{
    return kezfeatures.set(name);
}
FlagMove ServerConfiguration::setKezArmorFlag(const QString &name)
{
    return kezarmors.set(name);
}
FlagMove ServerConfiguration::setFragBanFlag(const QString &name)
{
    return fragban.set(name);
}

void ServerConfiguration::availableFlagList_MouseClicked(int clickCount)
{
    dmflags.availableListClicked(clickCount);
}
void ServerConfiguration::setFlagList_MouseClicked(int clickCount)
{
    dmflags.bannedListClicked(clickCount);
}
void ServerConfiguration::availableWeaponList_MouseClicked(int clickCount)
{
    weapons.availableListClicked(clickCount);
}
void ServerConfiguration::bannedWeaponList_MouseClicked(int clickCount)
{
    weapons.bannedListClicked(clickCount);
}
void ServerConfiguration::availableKezWeaponList_MouseClicked(int clickCount)
{
    kezweapons.availableListClicked(clickCount);
}
void ServerConfiguration::bannedKezWeaponList_MouseClicked(int clickCount)
{
    kezweapons.bannedListClicked(clickCount);
}
void ServerConfiguration::availableKezSweeperList_MouseClicked(int clickCount)
{
    kezsweepers.availableListClicked(clickCount);
}
void ServerConfiguration::bannedKezSweeperList_MouseClicked(int clickCount)
{
    kezsweepers.bannedListClicked(clickCount);
}
void ServerConfiguration::availableKezGrenadeList_MouseClicked(int clickCount)
{
    kezgrenades.availableListClicked(clickCount);
}
void ServerConfiguration::bannedKezGrenadeList_MouseClicked(int clickCount)
{
    kezgrenades.bannedListClicked(clickCount);
}
void ServerConfiguration::availableFeatureList_MouseClicked(int clickCount)
{
    features.availableListClicked(clickCount);
}
void ServerConfiguration::bannedFeatureList_MouseClicked(int clickCount)
{
    features.bannedListClicked(clickCount);
}
void ServerConfiguration::availableKezFeatureList_MouseClicked(int clickCount)
{
    kezfeatures.availableListClicked(clickCount);
}
void ServerConfiguration::bannedKezFeatureList_MouseClicked(int clickCount)
{
    kezfeatures.bannedListClicked(clickCount);
}
void ServerConfiguration::availableKezArmorList_MouseClicked(int clickCount)
{
    kezarmors.availableListClicked(clickCount);
}
void ServerConfiguration::bannedKezArmorList_MouseClicked(int clickCount)
{
    kezarmors.bannedListClicked(clickCount);
}
void ServerConfiguration::availableFragList_MouseClicked(int clickCount)
{
    fragban.availableListClicked(clickCount);
}
void ServerConfiguration::bannedFragList_MouseClicked(int clickCount)
{
    fragban.bannedListClicked(clickCount);
}
