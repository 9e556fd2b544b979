// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AboutDialog.h"
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QMenu>
#include <QTabBar>
#include <QTest>
#include <QWindow>

using TestSupport::whenModalOpens;

// Every key here goes through the window system's entry point, as a key from
// the keyboard does: shortcuts, focus changes and the focused widget see it in
// the order they would in the running program.
class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enterMovesASelectedFlagAsADoubleClickDoes_data();
    void enterMovesASelectedFlagAsADoubleClickDoes();
    void aFlagCanBeBannedWithoutTheMouse();
    void mapEditorByKeyboardAndEnterThatDoesNothing();
    void tabVisitsEveryControlInFormOrder();
    void pageKeysTurnPagesAndBringTheFocusAlong();
    void aboutOpensFromTheKeyboardAndClosesWithEscapeOrEnter_data();
    void aboutOpensFromTheKeyboardAndClosesWithEscapeOrEnter();

private:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static QWidget *focused() { return QApplication::focusWidget(); }

    std::unique_ptr<ServerConfiguration> window;
};

void TestKeyboard::init()
{
    window = std::make_unique<ServerConfiguration>();
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TestKeyboard::cleanup()
{
    window.reset();
}

void TestKeyboard::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWindow *target = QGuiApplication::focusWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

namespace {

FlagFamily &familyOf(ServerConfiguration &window, int page)
{
    FlagFamily *families[] = {&window.dmflags,     &window.weapons,     &window.kezweapons,
                              &window.kezsweepers, &window.kezgrenades, &window.features,
                              &window.kezfeatures, &window.kezarmors,   &window.fragban};
    return *families[page - 1];
}

// What a move can change: both lists, the mask and the spinners that DMFLAGS switches.
QStringList stateOf(ServerConfiguration &window, int page)
{
    const FlagFamily &family = familyOf(window, page);
    return family.availableList()->items() + QStringList{QStringLiteral("|")} + family.bannedList()->items() +
           QStringList{family.maskField()->text(),
                       QVariant(window.revengeAwardSpinner->isEnabled()).toString(),
                       QVariant(window.highFraggerAwardSpinner->isEnabled()).toString(),
                       QVariant(window.dayNightTimeSpinner->isEnabled()).toString()};
}

} // namespace

void TestKeyboard::enterMovesASelectedFlagAsADoubleClickDoes_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("fromBanned");

    QTest::newRow("weapon, available to banned") << 2 << "rocket launcher" << false;
    QTest::newRow("DMFLAGS revenge factor switches the awards on") << 1 << "DF_REVENGE_FACTOR" << false;
    QTest::newRow("DMFLAGS day-night back off") << 1 << "DF_DAYNIGHT" << true;
    QTest::newRow("frag ban, banned back to available") << 9 << "frags for blaster" << true;
}

void TestKeyboard::enterMovesASelectedFlagAsADoubleClickDoes()
{
    QFETCH(int, page);
    QFETCH(QString, flag);
    QFETCH(bool, fromBanned);

    // The same move on a second window by a real double click gives the state
    // that Enter has to reach.
    ServerConfiguration mouseWindow;
    mouseWindow.setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(&mouseWindow));
    for (ServerConfiguration *form : {window.get(), &mouseWindow}) {
        form->serverPanel->setCurrentPanelNdx(page);
        if (fromBanned)
            QCOMPARE(familyOf(*form, page).set(flag), FlagMove::Moved);
    }
    const auto listOf = [&](ServerConfiguration &form) {
        return fromBanned ? familyOf(form, page).bannedList() : familyOf(form, page).availableList();
    };
    ListBox *mouseList = listOf(mouseWindow);
    const int row = mouseList->items().indexOf(flag);
    const QPoint at = mouseList->viewport()->mapTo(
        &mouseWindow, mouseList->visualRect(mouseList->model()->index(row, 0)).center());
    QTest::mouseDClick(mouseWindow.windowHandle(), Qt::LeftButton, {}, at);
    const QStringList expected = stateOf(mouseWindow, page);
    QVERIFY(expected != stateOf(*window, page));

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    listOf(*window)->setFocus(Qt::TabFocusReason);
    listOf(*window)->select(row);
    press(Qt::Key_Return);
    QCOMPARE(stateOf(*window, page), expected);
}

void TestKeyboard::aFlagCanBeBannedWithoutTheMouse()
{
    // Reach the Kez Armor page from the tab row, walk to its third flag, ban
    // it, and let Enter ban the flag that took its place. Tabbing into a list
    // puts the cursor on its first item without selecting it.
    window->serverPanel->tabBar()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 8; ++i)
        press(Qt::Key_Right);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 8);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), window->availableKezArmorList);
    press(Qt::Key_Return);
    QCOMPARE(window->bannedKezArmorList->count(), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    const QString third = window->availableKezArmorList->itemText(2);
    QCOMPARE(window->availableKezArmorList->selectedItem(), std::optional<QString>(third));
    const QString fourth = window->availableKezArmorList->itemText(3);
    press(Qt::Key_Return);
    QCOMPARE(window->availableKezArmorList->selectedItem(), std::optional<QString>(fourth));
    press(Qt::Key_Return);
    QCOMPARE(window->bannedKezArmorList->items(), QStringList({third, fourth}));
    QCOMPARE(window->kezArmorBanField->text(), QStringLiteral("12"));
    QVERIFY(!window->availableKezArmorList->items().contains(third));
}

void TestKeyboard::mapEditorByKeyboardAndEnterThatDoesNothing()
{
    window->mapListCheckbox->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    QVERIFY(window->mapListCheckbox->isChecked());
    QVERIFY(window->addButton->isEnabled());

    window->mapField->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(window->mapField, QStringLiteral("q2dm1"));
    press(Qt::Key_Return); // Enter in the map field adds nothing
    QCOMPARE(window->mapList->count(), 0);
    QCOMPARE(window->mapField->text(), QStringLiteral("q2dm1"));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), window->addButton);
    press(Qt::Key_Space);
    QCOMPARE(window->mapList->items(), QStringList({"q2dm1"}));

    // Enter in the emptied map field does not open the file chooser as "add"
    // would, and Enter on a selected map neither moves nor removes it.
    bool chooserOpened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            chooserOpened = true;
            modal->close();
        }
    });
    window->mapList->add(QStringLiteral("q2dm2"));
    window->mapList->select(1);
    window->mapField->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    window->mapList->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    QApplication::processEvents();
    QVERIFY(!chooserOpened);
    QCOMPARE(window->mapList->items(), QStringList({"q2dm1", "q2dm2"}));
    QCOMPARE(window->mapList->selectedIndex(), 1);
}

void TestKeyboard::tabVisitsEveryControlInFormOrder()
{
    ServerConfiguration &w = *window;
    // The round as it should be on each page, tab row first.
    const QList<QList<QWidget *>> pages = {
        {w.serverNameField,
         w.adminNameField,
         w.emailField,
         w.webpageField,
         w.rconPasswdField,
         w.startingMapField,
         w.maxClientsSpinner,
         w.timeLimitSpinner,
         w.fragLimitSpinner,
         w.dayNightTimeSpinner,
         w.revengeAwardSpinner,
         w.highFraggerAwardSpinner,
         w.mapListCheckbox,
         w.mapList,
         w.mapDirectionButtonUp,
         w.mapDirectionButtonDown,
         w.mapField,
         w.addButton,
         w.removeButton,
         w.publicGameCheckbox,
         w.motdTextArea},
        {w.availableFlagList, w.setFlagList},
        {w.availableWeaponList, w.bannedWeaponList},
        {w.availableKezWeaponList, w.bannedKezWeaponList},
        {w.availableKezSweeperList, w.bannedKezSweeperList},
        {w.availableKezGrenadeList, w.bannedKezGrenadeList},
        {w.availableFeatureList, w.bannedFeatureList},
        {w.availableKezFeatureList, w.bannedKezFeatureList},
        {w.availableKezArmorList, w.bannedKezArmorList},
        {w.availableFragList, w.bannedFragList},
    };
    const QList<QWidget *> maskColumn = {w.DMFLAGSField,       w.weaponBanField,     w.kezWeaponBanField,
                                         w.kezSweeperBanField, w.kezGrenadeBanField, w.featureBanField,
                                         w.kezFeatureBanField, w.kezArmorBanField,   w.fragBanField};
    QTabBar *tabRow = w.serverPanel->tabBar();
    // The window opens with the focus at the start of the round.
    QCOMPARE(focused(), tabRow);

    // The controls that start disabled are reachable once enabled; enabling
    // them here lets one walk check their places too.
    for (QWidget *control : pages[0])
        control->setEnabled(true);
    w.motdTextArea->setPlainText(QStringLiteral("Welcome"));

    for (int page = 0; page < pages.size(); ++page) {
        w.serverPanel->setCurrentPanelNdx(page);
        const QList<QWidget *> round =
            QList<QWidget *>{tabRow} + pages[page] + maskColumn + QList<QWidget *>{tabRow};

        tabRow->setFocus(Qt::TabFocusReason);
        QList<QWidget *> forwards{focused()};
        for (int step = 1; step < round.size(); ++step) {
            press(Qt::Key_Tab);
            forwards.append(focused());
        }
        QCOMPARE(forwards, round);

        QList<QWidget *> backwards{focused()};
        for (int step = 1; step < round.size(); ++step) {
            press(Qt::Key_Backtab, Qt::ShiftModifier);
            backwards.prepend(focused());
        }
        QCOMPARE(backwards, round);

        // Nothing that takes the focus by Tab is left out of the round.
        for (QWidget *control : w.findChildren<QWidget *>()) {
            if (control->isVisible() && control->isEnabled() && (control->focusPolicy() & Qt::TabFocus))
                QVERIFY2(round.contains(control->focusProxy() ? control->focusProxy() : control),
                         control->metaObject()->className());
        }
    }
    // Tab left the text area without typing into it.
    QCOMPARE(w.motdTextArea->toPlainText(), QStringLiteral("Welcome"));
}

void TestKeyboard::pageKeysTurnPagesAndBringTheFocusAlong()
{
    window->serverNameField->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 1);
    QCOMPARE(focused(), window->availableFlagList);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 2);
    QCOMPARE(focused(), window->availableWeaponList);
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 0);
    QCOMPARE(focused(), window->serverNameField);

    // Both ends wrap round.
    press(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 9);
    QCOMPARE(focused(), window->availableFragList);
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 0);

    // Focus outside the pages stays put, and the keys work from a text field
    // that keeps Ctrl+C for itself.
    window->kezArmorBanField->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 1);
    QCOMPARE(focused(), window->kezArmorBanField);
    window->serverPanel->tabBar()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 2);
    QCOMPARE(focused(), window->serverPanel->tabBar());
}

void TestKeyboard::aboutOpensFromTheKeyboardAndClosesWithEscapeOrEnter_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Escape") << Qt::Key_Escape << Qt::KeyboardModifiers();
    QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers();
    QTest::newRow("keypad Enter") << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier);
}

void TestKeyboard::aboutOpensFromTheKeyboardAndClosesWithEscapeOrEnter()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    window->mapListCheckbox->setFocus(Qt::TabFocusReason);
    press(Qt::Key_H, Qt::AltModifier);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(menu, window->Help);

    bool opened = false;
    whenModalOpens([&](QWidget *dialog) {
        QVERIFY(qobject_cast<AboutDialog *>(dialog));
        opened = true;
        QTRY_VERIFY(QGuiApplication::focusWindow() == dialog->windowHandle());
        press(key, modifiers);
    });
    QTest::keyClick(menu, Qt::Key_Return); // chooses About, and returns once the dialog is gone
    QVERIFY(opened);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window->isVisible());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
