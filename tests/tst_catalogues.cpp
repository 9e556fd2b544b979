// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FlagCatalogues.h"
#include "flags/FlagSelection.h"
#include "text/DecimalText.h"

#include <QSet>
#include <QTest>

class TestCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void catalogue_data();
    void catalogue();
    void namesUniqueAcrossFamiliesIgnoringCase();
    void familiesInTabOrder();
    void textForm();
    void decimalText_data();
    void decimalText();
    void selectionMovesFlagsBothWays();
};

void TestCatalogues::catalogue_data()
{
    QTest::addColumn<const FlagTable *>("table");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("serverCfgLine");
    QTest::addColumn<qint32>("firstValue");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("DMFLAGS") << &FlagTables::dmflags << "DMFLAGS"
                             << "dmflags" << 14 << 1
                             << QStringList{"DF_NO_HEALTH",      "DF_NO_ITEMS",       "DF_WEAPONS_STAY",
                                            "DF_NO_FALLING",     "DF_INSTANT_ITEMS",  "DF_SAME_LEVEL",
                                            "DF_SKINTEAMS",      "DF_MODELTEAMS",     "DF_NO_FRIENDLY_FIRE",
                                            "DF_SPAWN_FARTHEST", "DF_FORCE_RESPAWN",  "DF_NO_ARMOR",
                                            "DF_ALLOW_EXIT",     "DF_INFINITE_AMMO",  "DF_QUAD_DROP",
                                            "DF_FIXED_FOV",      "DF_REVENGE_FACTOR", "DF_DAYNIGHT",
                                            "DF_ANTICAMPER"};
    QTest::newRow("Weapon Ban") << &FlagTables::weapons << "Weapon Ban"
                                << "weaponban" << 21 << 1
                                << QStringList{"super blaster",
                                               "shotgun",
                                               "sniper gun",
                                               "super shotgun",
                                               "freeze gun",
                                               "standard machinegun",
                                               "machine rocket gun",
                                               "burstfire machinegun",
                                               "chaingun",
                                               "streetsweeper",
                                               "grenades",
                                               "cluster grenade",
                                               "rail bomb",
                                               "plasma grenade",
                                               "napalm grenade",
                                               "shrapnel grenade",
                                               "cataclysm device",
                                               "grenade launcher",
                                               "bazooka",
                                               "rocket launcher",
                                               "homing rocket launcher",
                                               "hyperblaster",
                                               "plasma rifle",
                                               "railgun",
                                               "flamethrower",
                                               "BFG10K"};
    QTest::newRow("Kez Weapon Ban") << &FlagTables::kezweapons << "Kez Weapon Ban"
                                    << "kezweaponban" << 24 << 1
                                    << QStringList{"airfist",
                                                   "sword",
                                                   "pulserifle",
                                                   "nailgun",
                                                   "buckyball launcher",
                                                   "skipper homing rocket",
                                                   "guided missile",
                                                   "positron",
                                                   "Sticking Grenades",
                                                   "Icecube Gun",
                                                   "Durg",
                                                   "Lightninggun",
                                                   "Double Impact",
                                                   "FBFG",
                                                   "Disintegrator",
                                                   "Vacuummaker",
                                                   "Energy Vortex",
                                                   "Spiral Rocket Launcher",
                                                   "Sonic Railgun",
                                                   "Explosive Shotgun",
                                                   "Explosive Super Shotgun"};
    QTest::newRow("Kez Sweeper Ban") << &FlagTables::kezsweepers << "Kez Sweeper Ban"
                                     << "kezsweeperban" << 25 << 1 << QStringList{"superblastersweeper",
                                                                                  "freezersweeper",
                                                                                  "grenadesweeper",
                                                                                  "bazookasweeper",
                                                                                  "railgunsweeper",
                                                                                  "Flamesweeper",
                                                                                  "Durgsweeper",
                                                                                  "Chunk Gun",
                                                                                  "snipersweeper",
                                                                                  "explosive chaingun",
                                                                                  "explosive streetsweeper"};
    QTest::newRow("Kez Grenade Ban") << &FlagTables::kezgrenades << "Kez Grenade Ban"
                                     << "kezgrenadeban" << 26 << 1
                                     << QStringList{"plasmaclustergrenade", "telegrenade",
                                                    "freezergrenade",       "homergrenade",
                                                    "rocketgrenade",        "Blindnessgrenade"};
    QTest::newRow("Feature Ban") << &FlagTables::features << "Feature Ban"
                                 << "featureban" << 22 << 1
                                 << QStringList{
                                        "bandolier",        "ammo pack",  "silencer",       "rebreather",
                                        "environment suit", "adrenaline", "megahealth",     "power armor",
                                        "invulnerability",  "decoy",      "grappling hook", "player ID",
                                        "kamikaze",         "lasersight", "triplasers",     "nightvision",
                                        "push/pull",        "scanner",    "zoom view",      "jetpack"};
    QTest::newRow("Kez Feature Ban")
        << &FlagTables::kezfeatures << "Kez Feature Ban"
        << "kezfeatureban" << 27 << 1
        << QStringList{"cloak",           "explosive",          "invis",          "flashlight",
                       "checkstats",      "Rangefinder",        "KEZ Player ID",  "Fake death",
                       "Angel of Death",  "Angel of Life",      "Angel of Mercy", "Angel of Frost",
                       "Angel of Plague", "Sweeper Fire Mode",  "Height",         "Angel of Flame",
                       "Angel of Horror", "Angel of Blindness", "Airstrike",      "FPM",
                       "Tracker",         "Angel of Revenge",   "Baton",          "Holo"};
    QTest::newRow("Kez Armor Ban") << &FlagTables::kezarmors << "Kez Armor Ban"
                                   << "kezarmorban" << 28 << 1
                                   << QStringList{"Organic Armor", "Slug Armor",   "Cell Armor",
                                                  "Shell Armor",   "Bullet Armor", "Rocket Armor",
                                                  "Grenade Armor"};
    QTest::newRow("Frag Ban") << &FlagTables::fragban << "Frag Ban"
                              << "fragban" << 23 << 134217728
                              << QStringList{"frags for blaster", "frags for telefrags",
                                             "frags for kamikazes", "frags for grappling hook"};
}

void TestCatalogues::catalogue()
{
    QFETCH(const FlagTable *, table);
    QFETCH(QString, caption);
    QFETCH(QString, variable);
    QFETCH(int, serverCfgLine);
    QFETCH(qint32, firstValue);
    QFETCH(QStringList, names);

    QCOMPARE(QString::fromUtf16(table->caption), caption);
    QCOMPARE(QString::fromUtf16(table->variable), variable);
    QCOMPARE(table->serverCfgLine, serverCfgLine);
    const FlagCatalogue catalogue = buildCatalogue(*table);
    QStringList built;
    for (const QuakeFlag &flag : catalogue)
        built.append(flag.getFlagName());
    QCOMPARE(built, names);
    QCOMPARE(catalogue.first().getFlagValue(), firstValue);

    // Consecutive single bits: each value is twice the one before.
    for (int i = 1; i < catalogue.size(); ++i)
        QCOMPARE(qint64(catalogue[i].getFlagValue()), 2 * qint64(catalogue[i - 1].getFlagValue()));
}

void TestCatalogues::namesUniqueAcrossFamiliesIgnoringCase()
{
    QSet<QString> seen;
    int count = 0;
    for (const FlagTable *table : FlagTables::families) {
        for (const QuakeFlag &flag : buildCatalogue(*table)) {
            seen.insert(flag.getFlagName().toCaseFolded());
            ++count;
        }
    }
    QCOMPARE(count, 138);
    QCOMPARE(seen.size(), count);
}

void TestCatalogues::familiesInTabOrder()
{
    QStringList captions;
    for (const FlagTable *table : FlagTables::families)
        captions.append(QString::fromUtf16(table->caption));
    QCOMPARE(captions,
             QStringList({"DMFLAGS", "Weapon Ban", "Kez Weapon Ban", "Kez Sweeper Ban", "Kez Grenade Ban",
                          "Feature Ban", "Kez Feature Ban", "Kez Armor Ban", "Frag Ban"}));
}

void TestCatalogues::textForm()
{
    const FlagCatalogue dmflags = buildCatalogue(FlagTables::dmflags);
    QCOMPARE(dmflags.first().toString(), QStringLiteral("Flag Name: DF_NO_HEALTH Flag Value: 1"));
    // Names keep their exact spelling: mixed case, spaces and a slash.
    const FlagCatalogue features = buildCatalogue(FlagTables::features);
    QCOMPARE(features.at(16).getFlagName(), QStringLiteral("push/pull"));
    QCOMPARE(buildCatalogue(FlagTables::kezfeatures).at(6).getFlagName(), QStringLiteral("KEZ Player ID"));
    QCOMPARE(buildCatalogue(FlagTables::kezweapons).at(9).getFlagName(), QStringLiteral("Icecube Gun"));
}

void TestCatalogues::decimalText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("value");

    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << qint32(-2147483647 - 1);
    QTest::newRow("one past largest") << "2147483648" << false << 0;
    QTest::newRow("one past smallest") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("minus alone") << "-" << false << 0;
    QTest::newRow("plus sign") << "+5" << false << 0;
    QTest::newRow("leading space") << " 5" << false << 0;
    QTest::newRow("trailing space") << "5 " << false << 0;
    QTest::newRow("letters") << "12a" << false << 0;
    QTest::newRow("double minus") << "--5" << false << 0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << 0;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("\uff11") << false << 0;
}

void TestCatalogues::decimalText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint32, value);

    const std::optional<qint32> parsed = parseDecimalInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

// Both programs move flags through this one selection.
void TestCatalogues::selectionMovesFlagsBothWays()
{
    FlagSelection frags(FlagTables::fragban);
    QCOMPARE(frags.set(QStringLiteral("frags for kamikazes")), FlagMove::Moved);
    QCOMPARE(frags.set(QStringLiteral("frags for kamikazes")), FlagMove::Unchanged);
    QCOMPARE(frags.set(QStringLiteral("FRAGS FOR BLASTER")), FlagMove::Unchanged); // not an item as written
    QCOMPARE(frags.set(QStringLiteral("frags for blaster")), FlagMove::Moved);
    QCOMPARE(frags.maskText(), QStringLiteral("671088640"));

    QCOMPARE(frags.unset(0), FlagMove::Moved);
    QCOMPARE(frags.unset(1), FlagMove::Unchanged);
    QCOMPARE(frags.banned(), QStringList({"frags for blaster"}));
    QCOMPARE(frags.available(),
             QStringList({"frags for telefrags", "frags for grappling hook", "frags for kamikazes"}));
    QCOMPARE(frags.maskText(), QStringLiteral("134217728"));

    // A mask that is no decimal integer stays as it is; the flag moves all the same.
    frags.setMaskText(QStringLiteral("x"));
    QCOMPARE(frags.set(QStringLiteral("frags for telefrags")), FlagMove::MaskUnreadable);
    QCOMPARE(frags.banned().size(), 2);
    QCOMPARE(frags.maskText(), QStringLiteral("x"));

    frags.build();
    QCOMPARE(frags.banned(), QStringList());
    QCOMPARE(frags.available().size(), 4);
    QCOMPARE(frags.maskText(), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
