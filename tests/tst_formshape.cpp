// SPDX-License-Identifier: GPL-2.0-or-later
// The form's shape, control by control, against literal data: each control
// is found by its name and checked for its place, its parent, its caption and
// the name accessibility tools give it.
#include "TestSupport.h"
#include "app/ServerConfiguration.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QTest>

class TestFormShape : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void controls_data();
    void controls();
    void pagesInTabOrder();
    void accessibleNames_data();
    void accessibleNames();

private:
    std::unique_ptr<ServerConfiguration> window;
};

void TestFormShape::initTestCase()
{
    window = std::make_unique<ServerConfiguration>();
    TestSupport::showEveryPage(*window);
}

void TestFormShape::cleanupTestCase()
{
    window.reset();
}

void TestFormShape::controls_data()
{
    QTest::addColumn<QString>("parent"); // empty: the client area
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<QString>("caption");

    QTest::newRow("serverPanel") << "" << QRect(0, 0, 504, 534) << "";
    QTest::newRow("serverStatusBar") << "" << QRect(384, 528, 228, 36) << "";
    QTest::newRow("mainPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("DMFLAGSPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("weaponBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("kezWeaponBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("kezSweeperBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("kezGrenadeBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("featureBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("kezFeatureBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("kezArmorBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("fragBanPanel") << "serverPanel" << QRect(12, 33, 480, 490) << "";
    QTest::newRow("serverNameLabel") << "mainPanel" << QRect(0, 3, 84, 18) << "Server Name:";
    QTest::newRow("serverNameField") << "mainPanel" << QRect(84, 3, 246, 18) << "";
    QTest::newRow("adminNameLabel") << "mainPanel" << QRect(0, 21, 84, 18) << "Admin Name:";
    QTest::newRow("adminNameField") << "mainPanel" << QRect(84, 21, 246, 18) << "";
    QTest::newRow("emailLabel") << "mainPanel" << QRect(0, 39, 84, 18) << "email:";
    QTest::newRow("emailField") << "mainPanel" << QRect(84, 39, 246, 18) << "";
    QTest::newRow("webpageLabel") << "mainPanel" << QRect(0, 57, 84, 18) << "webpage:";
    QTest::newRow("webpageField") << "mainPanel" << QRect(84, 57, 246, 18) << "";
    QTest::newRow("maxClientsSpinner") << "mainPanel" << QRect(426, 3, 48, 30) << "";
    QTest::newRow("maxClientsLabel") << "mainPanel" << QRect(342, 9, 84, 18) << "Max Clients:";
    QTest::newRow("timeLimitSpinner") << "mainPanel" << QRect(426, 33, 48, 30) << "";
    QTest::newRow("timeLimitLabel") << "mainPanel" << QRect(342, 39, 84, 18) << "Time Limit:";
    QTest::newRow("fragLimitSpinner") << "mainPanel" << QRect(426, 63, 48, 30) << "";
    QTest::newRow("fragLimitLabel") << "mainPanel" << QRect(342, 69, 84, 18) << "Frag Limit:";
    QTest::newRow("publicGameCheckbox") << "mainPanel" << QRect(222, 117, 96, 24) << "public game";
    QTest::newRow("motdTextArea") << "mainPanel" << QRect(228, 225, 244, 256) << "";
    QTest::newRow("motdLabel") << "mainPanel" << QRect(228, 201, 126, 24) << "Message Of the Day";
    QTest::newRow("mapListCheckbox") << "mainPanel" << QRect(6, 117, 100, 24) << "Map List";
    QTest::newRow("mapList") << "mainPanel" << QRect(6, 147, 162, 276) << "";
    QTest::newRow("addButton") << "mainPanel" << QRect(6, 459, 72, 24) << "add";
    QTest::newRow("removeButton") << "mainPanel" << QRect(96, 459, 72, 24) << "remove";
    QTest::newRow("startingMapLabel") << "mainPanel" << QRect(0, 93, 84, 18) << "Starting Map:";
    QTest::newRow("rconPasswdLabel") << "mainPanel" << QRect(0, 75, 84, 18) << "Rcon Passwd:";
    QTest::newRow("rconPasswdField") << "mainPanel" << QRect(84, 75, 246, 18) << "";
    QTest::newRow("revengeAwardSpinner") << "mainPanel" << QRect(426, 123, 48, 30) << "";
    QTest::newRow("revengeAwardLabel") << "mainPanel" << QRect(330, 129, 96, 18) << "Revenge Award:";
    QTest::newRow("highFraggerAwardLabel")
        << "mainPanel" << QRect(306, 159, 120, 18) << "High Fragger Award:";
    QTest::newRow("highFraggerAwardSpinner") << "mainPanel" << QRect(426, 153, 48, 30) << "";
    QTest::newRow("dayNightTimeLabel") << "mainPanel" << QRect(332, 99, 94, 18) << "Day-Night Time:";
    QTest::newRow("dayNightTimeSpinner") << "mainPanel" << QRect(426, 93, 48, 30) << "";
    QTest::newRow("mapField") << "mainPanel" << QRect(6, 429, 162, 24) << "";
    QTest::newRow("startingMapField") << "mainPanel" << QRect(84, 93, 246, 18) << "";
    QTest::newRow("mapDirectionButtonUp") << "mainPanel" << QRect(174, 369, 20, 20) << "";
    QTest::newRow("mapDirectionButtonDown") << "mainPanel" << QRect(174, 393, 20, 20) << "";
    QTest::newRow("availableFlagList") << "DMFLAGSPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableFlagLabel") << "DMFLAGSPanel" << QRect(12, 3, 96, 18) << "Available Flags";
    QTest::newRow("setFlagList") << "DMFLAGSPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("setFlagLabel") << "DMFLAGSPanel" << QRect(252, 3, 60, 18) << "Set Flags";
    QTest::newRow("availableWeaponList") << "weaponBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableWeaponLabel") << "weaponBanPanel" << QRect(12, 3, 126, 18) << "Available Weapons";
    QTest::newRow("bannedWeaponList") << "weaponBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedWeaponLabel") << "weaponBanPanel" << QRect(252, 3, 132, 18) << "Banned Weapons";
    QTest::newRow("availableKezWeaponList") << "kezWeaponBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableKezWeaponLabel")
        << "kezWeaponBanPanel" << QRect(12, 3, 144, 18) << "Available Kez Weapons";
    QTest::newRow("bannedKezWeaponList") << "kezWeaponBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedKezWeaponLabel")
        << "kezWeaponBanPanel" << QRect(252, 3, 132, 18) << "Banned Kez Weapons";
    QTest::newRow("availableKezSweeperList") << "kezSweeperBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableKezSweeperLabel")
        << "kezSweeperBanPanel" << QRect(12, 3, 162, 18) << "Available Kez Sweepers";
    QTest::newRow("bannedKezSweeperList") << "kezSweeperBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedKezSweeperLabel")
        << "kezSweeperBanPanel" << QRect(252, 3, 138, 18) << "Banned Kez Sweepers";
    QTest::newRow("availableKezGrenadeList") << "kezGrenadeBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableKezGrenadeLabel")
        << "kezGrenadeBanPanel" << QRect(12, 3, 96, 18) << "Available Kez Grenades";
    QTest::newRow("bannedKezGrenadeList") << "kezGrenadeBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedKezGrenadeLabel")
        << "kezGrenadeBanPanel" << QRect(252, 3, 60, 18) << "Banned Kez Grenades";
    QTest::newRow("availableFeatureList") << "featureBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableFeatureLabel")
        << "featureBanPanel" << QRect(12, 3, 96, 18) << "Available Features";
    QTest::newRow("bannedFeatureList") << "featureBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedFeatureLabel") << "featureBanPanel" << QRect(252, 3, 60, 18) << "Banned Features";
    QTest::newRow("availableKezFeatureList") << "kezFeatureBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableKezFeatureLabel")
        << "kezFeatureBanPanel" << QRect(12, 3, 96, 18) << "Available Kez Features";
    QTest::newRow("bannedKezFeatureList") << "kezFeatureBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedKezFeatureLabel")
        << "kezFeatureBanPanel" << QRect(252, 3, 60, 18) << "Banned Kez Features";
    QTest::newRow("availableKezArmorList") << "kezArmorBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableKezArmorLabel")
        << "kezArmorBanPanel" << QRect(12, 3, 96, 18) << "Available Kez Armor";
    QTest::newRow("bannedKezArmorList") << "kezArmorBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedKezArmorLabel") << "kezArmorBanPanel" << QRect(252, 3, 60, 18) << "Banned Kez Armor";
    QTest::newRow("availableFragList") << "fragBanPanel" << QRect(12, 27, 216, 390) << "";
    QTest::newRow("availableFragLabel") << "fragBanPanel" << QRect(12, 3, 96, 18) << "Available Frags";
    QTest::newRow("bannedFragList") << "fragBanPanel" << QRect(252, 27, 216, 390) << "";
    QTest::newRow("bannedFragLabel") << "fragBanPanel" << QRect(252, 3, 60, 18) << "Banned Frags";
    QTest::newRow("DMFLAGSLabel") << "" << QRect(504, 6, 102, 18) << "DMFLAGS";
    QTest::newRow("DMFLAGSField") << "" << QRect(504, 24, 102, 18) << "";
    QTest::newRow("weaponBanLabel") << "" << QRect(504, 42, 102, 18) << "Weapon Ban";
    QTest::newRow("weaponBanField") << "" << QRect(504, 60, 102, 18) << "";
    QTest::newRow("kezWeaponBanLabel") << "" << QRect(504, 78, 102, 18) << "Kez Weapon Ban";
    QTest::newRow("kezWeaponBanField") << "" << QRect(504, 96, 102, 18) << "";
    QTest::newRow("kezSweeperBanLabel") << "" << QRect(504, 114, 102, 18) << "Kez Sweeper Ban";
    QTest::newRow("kezSweeperBanField") << "" << QRect(504, 132, 102, 18) << "";
    QTest::newRow("kezGrenadeBanLabel") << "" << QRect(504, 150, 102, 18) << "Kez Grenade Ban";
    QTest::newRow("kezGrenadeBanField") << "" << QRect(504, 168, 102, 18) << "";
    QTest::newRow("featureBanLabel") << "" << QRect(504, 186, 102, 18) << "Feature Ban";
    QTest::newRow("featureBanField") << "" << QRect(504, 204, 102, 18) << "";
    QTest::newRow("kezFeatureBanLabel") << "" << QRect(504, 222, 102, 18) << "Kez Feature Ban";
    QTest::newRow("kezFeatureBanField") << "" << QRect(504, 240, 102, 18) << "";
    QTest::newRow("kezArmorBanLabel") << "" << QRect(504, 258, 102, 18) << "Kez Armor Ban";
    QTest::newRow("kezArmorBanField") << "" << QRect(504, 276, 102, 18) << "";
    QTest::newRow("fragBanLabel") << "" << QRect(504, 294, 102, 18) << "Frag Ban";
    QTest::newRow("fragBanField") << "" << QRect(504, 312, 102, 18) << "";
}

void TestFormShape::controls()
{
    QFETCH(QString, parent);
    QFETCH(QRect, bounds);
    QFETCH(QString, caption);

    const QString name = QString::fromUtf8(QTest::currentDataTag());
    QWidget *control = window->findChild<QWidget *>(name);
    QVERIFY2(control, "no control of that name");
    QCOMPARE(control->geometry(), bounds);
    const QWidget *expectedParent =
        parent.isEmpty() ? window->clientArea() : window->findChild<QWidget *>(parent);
    QVERIFY(expectedParent);
    QCOMPARE(control->parentWidget(), expectedParent);
    if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(control); button && !caption.isEmpty())
        QCOMPARE(button->text(), caption);
    else
        QVERIFY(caption.isEmpty());
}

void TestFormShape::pagesInTabOrder()
{
    const QStringList pages = {"mainPanel",         "DMFLAGSPanel",       "weaponBanPanel",
                               "kezWeaponBanPanel", "kezSweeperBanPanel", "kezGrenadeBanPanel",
                               "featureBanPanel",   "kezFeatureBanPanel", "kezArmorBanPanel",
                               "fragBanPanel"};
    QCOMPARE(window->serverPanel->panelCount(), pages.size());
    for (int k = 0; k < pages.size(); ++k)
        QCOMPARE(window->serverPanel->panel(k)->objectName(), pages[k]);
}

void TestFormShape::accessibleNames_data()
{
    QTest::addColumn<QString>("accessibleName");

    QTest::newRow("serverNameField") << "Server Name:";
    QTest::newRow("adminNameField") << "Admin Name:";
    QTest::newRow("emailField") << "email:";
    QTest::newRow("webpageField") << "webpage:";
    QTest::newRow("rconPasswdField") << "Rcon Passwd:";
    QTest::newRow("startingMapField") << "Starting Map:";
    QTest::newRow("maxClientsSpinner") << "Max Clients:";
    QTest::newRow("timeLimitSpinner") << "Time Limit:";
    QTest::newRow("fragLimitSpinner") << "Frag Limit:";
    QTest::newRow("revengeAwardSpinner") << "Revenge Award:";
    QTest::newRow("highFraggerAwardSpinner") << "High Fragger Award:";
    QTest::newRow("dayNightTimeSpinner") << "Day-Night Time:";
    QTest::newRow("motdTextArea") << "Message Of the Day";
    QTest::newRow("availableFlagList") << "Available Flags";
    QTest::newRow("setFlagList") << "Set Flags";
    QTest::newRow("availableWeaponList") << "Available Weapons";
    QTest::newRow("bannedWeaponList") << "Banned Weapons";
    QTest::newRow("availableKezWeaponList") << "Available Kez Weapons";
    QTest::newRow("bannedKezWeaponList") << "Banned Kez Weapons";
    QTest::newRow("availableKezSweeperList") << "Available Kez Sweepers";
    QTest::newRow("bannedKezSweeperList") << "Banned Kez Sweepers";
    QTest::newRow("availableKezGrenadeList") << "Available Kez Grenades";
    QTest::newRow("bannedKezGrenadeList") << "Banned Kez Grenades";
    QTest::newRow("availableFeatureList") << "Available Features";
    QTest::newRow("bannedFeatureList") << "Banned Features";
    QTest::newRow("availableKezFeatureList") << "Available Kez Features";
    QTest::newRow("bannedKezFeatureList") << "Banned Kez Features";
    QTest::newRow("availableKezArmorList") << "Available Kez Armor";
    QTest::newRow("bannedKezArmorList") << "Banned Kez Armor";
    QTest::newRow("availableFragList") << "Available Frags";
    QTest::newRow("bannedFragList") << "Banned Frags";
    QTest::newRow("DMFLAGSField") << "DMFLAGS";
    QTest::newRow("weaponBanField") << "Weapon Ban";
    QTest::newRow("kezWeaponBanField") << "Kez Weapon Ban";
    QTest::newRow("kezSweeperBanField") << "Kez Sweeper Ban";
    QTest::newRow("kezGrenadeBanField") << "Kez Grenade Ban";
    QTest::newRow("featureBanField") << "Feature Ban";
    QTest::newRow("kezFeatureBanField") << "Kez Feature Ban";
    QTest::newRow("kezArmorBanField") << "Kez Armor Ban";
    QTest::newRow("fragBanField") << "Frag Ban";
}

void TestFormShape::accessibleNames()
{
    QFETCH(QString, accessibleName);

    QWidget *control = window->findChild<QWidget *>(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY2(control, "no control of that name");
    QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), accessibleName);
}

QTEST_MAIN(TestFormShape)
#include "tst_formshape.moc"
