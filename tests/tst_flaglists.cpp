// SPDX-License-Identifier: GPL-2.0-or-later
#include "WorkingDirectory.h"
#include "app/ServerConfiguration.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

class TestFlagLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void banningAndUnbanningWeaponsByDoubleClick();
    void everyFlagOfEveryFamilyAcrossAndBack_data();
    void everyFlagOfEveryFamilyAcrossAndBack();
    void singleClickOnlySelects();
    void doubleClickActsOnTheSelectionNotThePointer();
    void doubleClickWithNothingSelectedChangesNothing();
    void setMethodsReachTheirOwnFamily_data();
    void setMethodsReachTheirOwnFamily();
    void setMethodMatchesCatalogueIgnoringCaseButListExactly();
    void dmflagsSwitchTheirSpinners();
    void spinnersSurviveNew();
    void unreadableMaskEndsTheMoveAfterTheListChange();
    void aPageBuiltLateShowsWhatItsFamilyBecame();

private:
    void showPage(int index);
    void doubleClick(ListBox *list, int row);
    void click(ListBox *list, int row);
    QPoint pointOf(ListBox *list, int row);

    std::unique_ptr<ServerConfiguration> window;
};

void TestFlagLists::init()
{
    window = std::make_unique<ServerConfiguration>();
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestFlagLists::cleanup()
{
    window.reset();
}

void TestFlagLists::showPage(int index)
{
    QVERIFY(window->serverPanel->setCurrentPanelNdx(index));
}

QPoint TestFlagLists::pointOf(ListBox *list, int row)
{
    if (row < 0)
        return list->viewport()->mapTo(window.get(), QPoint(5, list->viewport()->height() - 5));
    const QModelIndex item = list->model()->index(row, 0);
    list->scrollTo(item);
    return list->viewport()->mapTo(window.get(), list->visualRect(item).center());
}

// Press, release, press, release through the window, as a real double click
// arrives; the second press becomes Qt's double-click event.
void TestFlagLists::doubleClick(ListBox *list, int row)
{
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, pointOf(list, row));
}

void TestFlagLists::click(ListBox *list, int row)
{
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, pointOf(list, row));
}

void TestFlagLists::banningAndUnbanningWeaponsByDoubleClick()
{
    showPage(2);
    doubleClick(window->availableWeaponList, 19); // rocket launcher
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"rocket launcher"}));
    QCOMPARE(window->availableWeaponList->count(), 25);
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("524288"));

    doubleClick(window->availableWeaponList, 1); // shotgun
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"rocket launcher", "shotgun"}));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("524290"));

    doubleClick(window->bannedWeaponList, 0);
    QCOMPARE(window->availableWeaponList->count(), 25);
    QCOMPARE(window->availableWeaponList->itemText(23), QStringLiteral("BFG10K"));
    QCOMPARE(window->availableWeaponList->itemText(24), QStringLiteral("rocket launcher"));
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"shotgun"}));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("2"));
}

void TestFlagLists::everyFlagOfEveryFamilyAcrossAndBack_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("fullMask");

    QTest::newRow("DMFLAGS") << 1 << "524287";
    QTest::newRow("Weapon Ban") << 2 << "67108863";
    QTest::newRow("Kez Weapon Ban") << 3 << "2097151";
    QTest::newRow("Kez Sweeper Ban") << 4 << "2047";
    QTest::newRow("Kez Grenade Ban") << 5 << "63";
    QTest::newRow("Feature Ban") << 6 << "1048575";
    QTest::newRow("Kez Feature Ban") << 7 << "16777215";
    QTest::newRow("Kez Armor Ban") << 8 << "127";
    QTest::newRow("Frag Ban") << 9 << "2013265920";
}

void TestFlagLists::everyFlagOfEveryFamilyAcrossAndBack()
{
    QFETCH(int, page);
    QFETCH(QString, fullMask);

    FlagFamily *families[] = {nullptr,
                              &window->dmflags,
                              &window->weapons,
                              &window->kezweapons,
                              &window->kezsweepers,
                              &window->kezgrenades,
                              &window->features,
                              &window->kezfeatures,
                              &window->kezarmors,
                              &window->fragban};
    FlagFamily *family = families[page];
    ListBox *available = family->availableList();
    ListBox *banned = family->bannedList();
    const QStringList catalogueOrder = available->items();
    showPage(page);

    // Bounded by the catalogue, so that a list bound to the wrong handler
    // fails instead of looping.
    for (qsizetype i = 0; i < catalogueOrder.size() && available->count() > 0; ++i)
        doubleClick(available, 0);
    QCOMPARE(banned->items(), catalogueOrder);
    QCOMPARE(family->maskField()->text(), fullMask);

    // Moving back from the end each time puts the flags back in reverse.
    for (qsizetype i = 0; i < catalogueOrder.size() && banned->count() > 0; ++i)
        doubleClick(banned, banned->count() - 1);
    QStringList reversed(catalogueOrder.crbegin(), catalogueOrder.crend());
    QCOMPARE(available->items(), reversed);
    QCOMPARE(family->maskField()->text(), QStringLiteral("0"));

    // No other family's mask moved meanwhile.
    for (FlagFamily *other : families) {
        if (other && other != family)
            QCOMPARE(other->maskField()->text(), QStringLiteral("0"));
    }
}

void TestFlagLists::singleClickOnlySelects()
{
    showPage(2);
    click(window->availableWeaponList, 3);
    QCOMPARE(window->availableWeaponList->selectedIndex(), 3);
    QCOMPARE(window->availableWeaponList->count(), 26);
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("0"));
}

void TestFlagLists::doubleClickActsOnTheSelectionNotThePointer()
{
    showPage(9);
    click(window->availableFragList, 1);
    doubleClick(window->availableFragList, -1); // below the last item
    QCOMPARE(window->bannedFragList->items(), QStringList({"frags for telefrags"}));
    QCOMPARE(window->fragBanField->text(), QStringLiteral("268435456"));
}

void TestFlagLists::doubleClickWithNothingSelectedChangesNothing()
{
    showPage(1);
    doubleClick(window->setFlagList, -1); // empty list
    QCOMPARE(window->setFlagList->count(), 0);
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("0"));

    // The handler acts on the selection, not on a count the toolkit did not send.
    window->availableFlagList_MouseClicked(2);
    window->availableFlagList_MouseClicked(1);
    QCOMPARE(window->availableFlagList->count(), 19);
}

void TestFlagLists::setMethodsReachTheirOwnFamily_data()
{
    using SetMethod = FlagMove (ServerConfiguration::*)(const QString &);
    QTest::addColumn<SetMethod>("method");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("mask");

    QTest::newRow("setADMFlag") << &ServerConfiguration::setADMFlag << "DF_QUAD_DROP"
                                << "DMFLAGSField"
                                << "16384";
    QTest::newRow("setWeaponsFlag") << &ServerConfiguration::setWeaponsFlag << "railgun"
                                    << "weaponBanField"
                                    << "8388608";
    QTest::newRow("setKezWeaponsFlag") << &ServerConfiguration::setKezWeaponsFlag << "Durg"
                                       << "kezWeaponBanField"
                                       << "1024";
    QTest::newRow("setKezSweepersFlags") << &ServerConfiguration::setKezSweepersFlags << "Chunk Gun"
                                         << "kezSweeperBanField"
                                         << "128";
    QTest::newRow("setKezGrenadeFlags") << &ServerConfiguration::setKezGrenadeFlags << "Blindnessgrenade"
                                        << "kezGrenadeBanField"
                                        << "32";
    QTest::newRow("setFeatureFlag") << &ServerConfiguration::setFeatureFlag << "push/pull"
                                    << "featureBanField"
                                    << "65536";
    QTest::newRow("setKezFeatureFlag") << &ServerConfiguration::setKezFeatureFlag << "KEZ Player ID"
                                       << "kezFeatureBanField"
                                       << "64";
    QTest::newRow("setKezArmorFlag") << &ServerConfiguration::setKezArmorFlag << "Grenade Armor"
                                     << "kezArmorBanField"
                                     << "64";
    QTest::newRow("setFragBanFlag") << &ServerConfiguration::setFragBanFlag << "frags for telefrags"
                                    << "fragBanField"
                                    << "268435456";
}

void TestFlagLists::setMethodsReachTheirOwnFamily()
{
    using SetMethod = FlagMove (ServerConfiguration::*)(const QString &);
    QFETCH(SetMethod, method);
    QFETCH(QString, flag);
    QFETCH(QString, field);
    QFETCH(QString, mask);

    const QHash<QString, TextField *> fields = {
        {"DMFLAGSField", window->DMFLAGSField},
        {"weaponBanField", window->weaponBanField},
        {"kezWeaponBanField", window->kezWeaponBanField},
        {"kezSweeperBanField", window->kezSweeperBanField},
        {"kezGrenadeBanField", window->kezGrenadeBanField},
        {"featureBanField", window->featureBanField},
        {"kezFeatureBanField", window->kezFeatureBanField},
        {"kezArmorBanField", window->kezArmorBanField},
        {"fragBanField", window->fragBanField},
    };
    QCOMPARE((window.get()->*method)(flag), FlagMove::Moved);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        QCOMPARE(it.value()->text(), it.key() == field ? mask : QStringLiteral("0"));
    // The second call finds the flag banned already and adds nothing.
    QCOMPARE((window.get()->*method)(flag), FlagMove::Unchanged);
    QCOMPARE(fields.value(field)->text(), mask);
    // A flag of another family is not this family's.
    QCOMPARE((window.get()->*method)(QStringLiteral("airfist")) == FlagMove::Moved,
             field == "kezWeaponBanField");
}

void TestFlagLists::setMethodMatchesCatalogueIgnoringCaseButListExactly()
{
    QCOMPARE(window->setADMFlag(QStringLiteral("df_daynight")), FlagMove::Unchanged);
    QCOMPARE(window->availableFlagList->count(), 19);
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("0"));
    QVERIFY(!window->dayNightTimeSpinner->isEnabled());
    QCOMPARE(window->setWeaponsFlag(QString()), FlagMove::Unchanged);
    QCOMPARE(window->setWeaponsFlag(QStringLiteral("rail")), FlagMove::Unchanged);
}

void TestFlagLists::dmflagsSwitchTheirSpinners()
{
    showPage(1);
    const int revenge = window->availableFlagList->items().indexOf(QStringLiteral("DF_REVENGE_FACTOR"));
    doubleClick(window->availableFlagList, revenge);
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("65536"));
    QVERIFY(window->revengeAwardSpinner->isEnabled());
    QVERIFY(window->highFraggerAwardSpinner->isEnabled());
    QVERIFY(!window->dayNightTimeSpinner->isEnabled());

    const int dayNight = window->availableFlagList->items().indexOf(QStringLiteral("DF_DAYNIGHT"));
    doubleClick(window->availableFlagList, dayNight);
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("196608"));
    QVERIFY(window->dayNightTimeSpinner->isEnabled());

    doubleClick(window->setFlagList, 0); // DF_REVENGE_FACTOR back
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("131072"));
    QVERIFY(!window->revengeAwardSpinner->isEnabled());
    QVERIFY(!window->highFraggerAwardSpinner->isEnabled());
    QVERIFY(window->dayNightTimeSpinner->isEnabled());

    doubleClick(window->setFlagList, 0); // DF_DAYNIGHT back
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("0"));
    QVERIFY(!window->dayNightTimeSpinner->isEnabled());

    // Another family's flag switches nothing.
    window->setWeaponsFlag(QStringLiteral("railgun"));
    QVERIFY(!window->revengeAwardSpinner->isEnabled());
}

void TestFlagLists::spinnersSurviveNew()
{
    window->setADMFlag(QStringLiteral("DF_REVENGE_FACTOR"));
    window->New->trigger();
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("0"));
    QVERIFY(window->availableFlagList->items().contains(QStringLiteral("DF_REVENGE_FACTOR")));
    QVERIFY(window->revengeAwardSpinner->isEnabled());
    QVERIFY(window->highFraggerAwardSpinner->isEnabled());
}

void TestFlagLists::unreadableMaskEndsTheMoveAfterTheListChange()
{
    showPage(2);
    window->weaponBanField->setText(QStringLiteral("12 "));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("Weapon Ban mask field holds \"12 \"")));
    doubleClick(window->availableWeaponList, 0);
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"super blaster"}));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("12 "));

    window->DMFLAGSField->setText(QStringLiteral("+1"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("DMFLAGS mask field")));
    QCOMPARE(window->setADMFlag(QStringLiteral("DF_DAYNIGHT")), FlagMove::MaskUnreadable);
    QVERIFY(window->setFlagList->items().contains(QStringLiteral("DF_DAYNIGHT")));
    QVERIFY(!window->dayNightTimeSpinner->isEnabled());

    // The window goes on working once the field holds a number again.
    window->New->trigger();
    doubleClick(window->availableWeaponList, 0);
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("1"));
}

QTEST_MAIN(TestFlagLists)
#include "tst_flaglists.moc"

void TestFlagLists::aPageBuiltLateShowsWhatItsFamilyBecame()
{
    TestSupport::WorkingDirectory folder;
    // Until a flag page is shown, the map rotation is the only list.
    QCOMPARE(window->findChildren<ListBox *>().size(), 1);
    QCOMPARE(window->setWeaponsFlag(QStringLiteral("rocket launcher")), FlagMove::Moved);
    QCOMPARE(window->setWeaponsFlag(QStringLiteral("shotgun")), FlagMove::Moved);
    window->Save_ActionPerformed();
    window->New_ActionPerformed();
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("0"));
    window->Open_ActionPerformed();
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("524290"));
    QCOMPARE(window->findChildren<ListBox *>().size(), 1);

    showPage(2);
    QCOMPARE(window->findChildren<ListBox *>().size(), 3);
    // Open walks the catalogue, so the flags come back in its order.
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"shotgun", "rocket launcher"}));
    QCOMPARE(window->availableWeaponList->count(), 24);
    QCOMPARE(window->availableWeaponList->itemText(0), QStringLiteral("super blaster"));
    QCOMPARE(window->bannedWeaponList->accessibleName(), QStringLiteral("Banned Weapons"));
    // The page works as one built at start-up: a double click moves, Tab
    // goes from one list to the other.
    doubleClick(window->bannedWeaponList, 0);
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"rocket launcher"}));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("524288"));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->availableWeaponList->setFocus();
    QTest::keyClick(window->availableWeaponList, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->bannedWeaponList.get());
}
