// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AboutDialog.h"
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using TestSupport::whenModalOpens;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowGeometry();
    void showingAgainReturnsToFiftyFifty();
    void controlBounds_data();
    void controlBounds();
    void startUpStateOfTheForm();
    void everyFlagListStartsFromItsCatalogue();
    void maskFieldsAreReadOnlyBoldBlack();
    void menusAndShortcuts();
    void controlsCanBeFoundByTheirNames();
    void newResetsTheFormAndLeavesTheRest();
    void newRebuildsMovedFlagsInCatalogueOrder();
    void ctrlCClosesExceptWhileEditingText();
    void aboutIsCentredOnTheMainWindow();
    void aboutPositionForNarrowAndWideOwners_data();
    void aboutPositionForNarrowAndWideOwners();

private:
    std::unique_ptr<ServerConfiguration> window;
};

void TestMainWindow::init()
{
    window = std::make_unique<ServerConfiguration>();
}

void TestMainWindow::cleanup()
{
    window.reset();
}

void TestMainWindow::windowGeometry()
{
    QVERIFY(!window->isVisible());
    QCOMPARE(window->pos(), QPoint(50, 50));
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->windowTitle(), QStringLiteral("Kez Server Configuration"));
    QCOMPARE(window->clientArea()->size(), QSize(612, 563));
    QCOMPARE(window->clientArea()->geometry().top(), window->menuBar()->geometry().bottom() + 1);
    // Not resizable: the window's minimum and maximum sizes are the same.
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->size().width(), 612);
    QCOMPARE(window->palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestMainWindow::showingAgainReturnsToFiftyFifty()
{
    window->setVisible(true);
    window->move(300, 200);
    window->setVisible(false);
    QCOMPARE(window->pos(), QPoint(50, 50));
    window->move(300, 200);
    window->setVisible(true);
    QCOMPARE(window->pos(), QPoint(50, 50));
}

void TestMainWindow::controlBounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("bounds");

    // Direct children of the client area.
    QTest::newRow("serverPanel") << "serverPanel" << QRect(0, 0, 504, 534);
    QTest::newRow("serverStatusBar") << "serverStatusBar" << QRect(384, 528, 228, 36);
    QTest::newRow("DMFLAGSLabel") << "DMFLAGSLabel" << QRect(504, 6, 102, 18);
    QTest::newRow("DMFLAGSField") << "DMFLAGSField" << QRect(504, 24, 102, 18);
    QTest::newRow("fragBanLabel") << "fragBanLabel" << QRect(504, 294, 102, 18);
    QTest::newRow("fragBanField") << "fragBanField" << QRect(504, 312, 102, 18);
    // Pages inside serverPanel, and controls inside their pages.
    QTest::newRow("mainPanel") << "mainPanel" << QRect(12, 33, 480, 490);
    QTest::newRow("fragBanPanel") << "fragBanPanel" << QRect(12, 33, 480, 490);
    QTest::newRow("serverNameField") << "serverNameField" << QRect(84, 3, 246, 18);
    QTest::newRow("rconPasswdField") << "rconPasswdField" << QRect(84, 75, 246, 18);
    QTest::newRow("maxClientsSpinner") << "maxClientsSpinner" << QRect(426, 3, 48, 30);
    QTest::newRow("dayNightTimeSpinner") << "dayNightTimeSpinner" << QRect(426, 93, 48, 30);
    QTest::newRow("highFraggerAwardLabel") << "highFraggerAwardLabel" << QRect(306, 159, 120, 18);
    QTest::newRow("publicGameCheckbox") << "publicGameCheckbox" << QRect(222, 117, 96, 24);
    QTest::newRow("motdTextArea") << "motdTextArea" << QRect(228, 225, 244, 256);
    QTest::newRow("mapList") << "mapList" << QRect(6, 147, 162, 276);
    QTest::newRow("mapField") << "mapField" << QRect(6, 429, 162, 24);
    QTest::newRow("addButton") << "addButton" << QRect(6, 459, 72, 24);
    QTest::newRow("removeButton") << "removeButton" << QRect(96, 459, 72, 24);
    QTest::newRow("mapDirectionButtonUp") << "mapDirectionButtonUp" << QRect(174, 369, 20, 20);
    QTest::newRow("mapDirectionButtonDown") << "mapDirectionButtonDown" << QRect(174, 393, 20, 20);
    QTest::newRow("availableWeaponList") << "availableWeaponList" << QRect(12, 27, 216, 390);
    QTest::newRow("bannedWeaponList") << "bannedWeaponList" << QRect(252, 27, 216, 390);
    QTest::newRow("bannedKezSweeperLabel") << "bannedKezSweeperLabel" << QRect(252, 3, 138, 18);
}

void TestMainWindow::controlBounds()
{
    QFETCH(QString, name);
    QFETCH(QRect, bounds);

    const QHash<QString, QWidget *> controls = {
        {"serverPanel", window->serverPanel},
        {"serverStatusBar", window->serverStatusBar},
        {"DMFLAGSLabel", window->DMFLAGSLabel},
        {"DMFLAGSField", window->DMFLAGSField},
        {"fragBanLabel", window->fragBanLabel},
        {"fragBanField", window->fragBanField},
        {"mainPanel", window->mainPanel},
        {"fragBanPanel", window->fragBanPanel},
        {"serverNameField", window->serverNameField},
        {"rconPasswdField", window->rconPasswdField},
        {"maxClientsSpinner", window->maxClientsSpinner},
        {"dayNightTimeSpinner", window->dayNightTimeSpinner},
        {"highFraggerAwardLabel", window->highFraggerAwardLabel},
        {"publicGameCheckbox", window->publicGameCheckbox},
        {"motdTextArea", window->motdTextArea},
        {"mapList", window->mapList},
        {"mapField", window->mapField},
        {"addButton", window->addButton},
        {"removeButton", window->removeButton},
        {"mapDirectionButtonUp", window->mapDirectionButtonUp},
        {"mapDirectionButtonDown", window->mapDirectionButtonDown},
        {"availableWeaponList", window->availableWeaponList},
        {"bannedWeaponList", window->bannedWeaponList},
        {"bannedKezSweeperLabel", window->bannedKezSweeperLabel},
    };
    window->setVisible(true);
    QCOMPARE(controls.value(name)->geometry(), bounds);
}

void TestMainWindow::startUpStateOfTheForm()
{
    window->setVisible(true);
    QCOMPARE(window->serverPanel->currentPanelNdx(), 0);
    QVERIFY(window->mainPanel->isVisible());
    QVERIFY(!window->DMFLAGSPanel->isVisible());
    QCOMPARE(window->serverPanel->panelLabels(),
             QStringList({"Main", "DMFLAGS", "Weapon Ban", "Kez Weapon Ban", "Kez Sweeper Ban",
                          "Kez Grenade Ban", "Feature Ban", "Kez Feature Ban", "Kez Armor Ban", "Frag Ban"}));

    for (TextField *field :
         {window->serverNameField, window->adminNameField, window->emailField, window->webpageField,
          window->rconPasswdField, window->startingMapField, window->mapField})
        QVERIFY(field->text().isEmpty());
    QCOMPARE(window->rconPasswdField->echoMode(), QLineEdit::Normal);
    QVERIFY(window->motdTextArea->toPlainText().isEmpty());
    QVERIFY(!window->publicGameCheckbox->isChecked());
    QVERIFY(!window->mapListCheckbox->isChecked());
    QCOMPARE(window->mapList->count(), 0);
    QVERIFY(window->mapList->isEnabled());
    QVERIFY(!window->addButton->isEnabled());
    QVERIFY(!window->removeButton->isEnabled());
    QVERIFY(window->mapDirectionButtonUp->isEnabled());
    QCOMPARE(window->mapDirectionButtonUp->arrowType(), Qt::UpArrow);
    QCOMPARE(window->mapDirectionButtonDown->arrowType(), Qt::DownArrow);
    QVERIFY(window->serverStatusBar->statusText().isEmpty());

    const NumericSpinner *enabledSpinners[] = {window->maxClientsSpinner, window->timeLimitSpinner,
                                               window->fragLimitSpinner};
    const NumericSpinner *disabledSpinners[] = {window->revengeAwardSpinner, window->highFraggerAwardSpinner,
                                                window->dayNightTimeSpinner};
    for (const NumericSpinner *spinner : enabledSpinners)
        QVERIFY(spinner->isEnabled());
    for (const NumericSpinner *spinner : disabledSpinners)
        QVERIFY(!spinner->isEnabled());
    for (const NumericSpinner *spinner : {enabledSpinners[0], enabledSpinners[1], enabledSpinners[2],
                                          disabledSpinners[0], disabledSpinners[1], disabledSpinners[2]}) {
        QCOMPARE(spinner->value(), 0);
        QCOMPARE(spinner->minimum(), 0);
        QCOMPARE(spinner->maximum(), 255);
    }
    // startingMapField is put on the page last.
    QCOMPARE(window->mainPanel->children().last(), window->startingMapField);
}

void TestMainWindow::everyFlagListStartsFromItsCatalogue()
{
    for (const FlagFamily *family :
         {&window->dmflags, &window->weapons, &window->kezweapons, &window->kezsweepers, &window->kezgrenades,
          &window->features, &window->kezfeatures, &window->kezarmors, &window->fragban}) {
        QStringList names;
        for (const QuakeFlag &flag : family->catalogue())
            names.append(flag.getFlagName());
        QCOMPARE(family->availableList()->items(), names);
        QCOMPARE(family->bannedList()->count(), 0);
        QCOMPARE(family->maskField()->text(), QStringLiteral("0"));
        QCOMPARE(family->availableList()->selectionMode(), QAbstractItemView::SingleSelection);
    }
    QCOMPARE(window->availableFlagList->count(), 19);
    QCOMPARE(window->availableWeaponList->count(), 26);
    QCOMPARE(window->availableKezWeaponList->count(), 21);
    QCOMPARE(window->availableKezSweeperList->count(), 11);
    QCOMPARE(window->availableKezGrenadeList->count(), 6);
    QCOMPARE(window->availableFeatureList->count(), 20);
    QCOMPARE(window->availableKezFeatureList->count(), 24);
    QCOMPARE(window->availableKezArmorList->count(), 7);
    QCOMPARE(window->availableFragList->count(), 4);
}

void TestMainWindow::maskFieldsAreReadOnlyBoldBlack()
{
    for (TextField *field : {window->DMFLAGSField, window->weaponBanField, window->kezWeaponBanField,
                             window->kezSweeperBanField, window->kezGrenadeBanField, window->featureBanField,
                             window->kezFeatureBanField, window->kezArmorBanField, window->fragBanField}) {
        QVERIFY(!field->isEditable());
        QVERIFY(field->font().bold());
        QCOMPARE(field->font().pixelSize(), 12);
        QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(field->parentWidget(), window->clientArea());
    }
    QVERIFY(window->serverNameLabel->font().bold());
    QVERIFY(!window->serverNameField->font().bold());
}

void TestMainWindow::menusAndShortcuts()
{
    const QList<QAction *> menus = window->menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    // The captions as shown; the underlined letter is the menu's mnemonic.
    QCOMPARE(menus[0]->iconText(), QStringLiteral("File"));
    QCOMPARE(menus[1]->iconText(), QStringLiteral("Help"));
    QStringList items;
    for (QAction *item : window->File->actions())
        items.append(item->text() + QLatin1Char(' ') + item->shortcut().toString(QKeySequence::PortableText));
    QCOMPARE(items, QStringList({"New Ctrl+N", "Save Ctrl+S", "Open Ctrl+O", "Close Ctrl+C"}));
    QCOMPARE(window->Help->actions(), QList<QAction *>({window->About}));
    QVERIFY(window->About->shortcut().isEmpty());
}

void TestMainWindow::controlsCanBeFoundByTheirNames()
{
    TestSupport::showEveryPage(*window);
    QCOMPARE(window->findChild<ListBox *>(QStringLiteral("bannedWeaponList")), window->bannedWeaponList);
    QCOMPARE(window->findChild<TextField *>(QStringLiteral("DMFLAGSField")), window->DMFLAGSField);
    QCOMPARE(window->findChild<QAction *>(QStringLiteral("Close")), window->Close);
    QCOMPARE(window->findChild<QWidget *>(QStringLiteral("mapDirectionButtonDown")),
             window->mapDirectionButtonDown);

    // Accessibility tools name a control by its caption.
    const auto accessibleName = [](QWidget *control) {
        return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    };
    QCOMPARE(accessibleName(window->serverNameField), QStringLiteral("Server Name:"));
    QCOMPARE(accessibleName(window->bannedFragList), QStringLiteral("Banned Frags"));
    QCOMPARE(accessibleName(window->kezArmorBanField), QStringLiteral("Kez Armor Ban"));
}

void TestMainWindow::newResetsTheFormAndLeavesTheRest()
{
    window->setVisible(true);
    for (TextField *field : {window->serverNameField, window->adminNameField, window->emailField,
                             window->webpageField, window->startingMapField, window->rconPasswdField})
        field->setText(QStringLiteral("something"));
    for (NumericSpinner *spinner :
         {window->maxClientsSpinner, window->timeLimitSpinner, window->fragLimitSpinner,
          window->dayNightTimeSpinner, window->revengeAwardSpinner, window->highFraggerAwardSpinner})
        spinner->setCurrent(17);
    window->publicGameCheckbox->setChecked(true);
    window->mapListCheckbox->setChecked(true);
    window->mapList->add(QStringLiteral("q2dm1"));
    window->motdTextArea->setPlainText(QStringLiteral("Welcome"));
    window->mapField->setText(QStringLiteral("q2dm8"));
    window->addButton->setEnabled(true);
    window->revengeAwardSpinner->setEnabled(true);
    window->serverPanel->setCurrentPanelNdx(3);
    window->serverStatusBar->setStatusText(QStringLiteral("Done Reading"));

    window->New->trigger();

    for (TextField *field : {window->serverNameField, window->adminNameField, window->emailField,
                             window->webpageField, window->startingMapField, window->rconPasswdField})
        QVERIFY(field->text().isEmpty());
    for (NumericSpinner *spinner :
         {window->maxClientsSpinner, window->timeLimitSpinner, window->fragLimitSpinner,
          window->dayNightTimeSpinner, window->revengeAwardSpinner, window->highFraggerAwardSpinner})
        QCOMPARE(spinner->value(), 0);
    QVERIFY(!window->publicGameCheckbox->isChecked());
    QVERIFY(!window->mapListCheckbox->isChecked());
    QCOMPARE(window->mapList->count(), 0);
    // Left alone: the message, the typed map name, enabled states, page and status.
    QCOMPARE(window->motdTextArea->toPlainText(), QStringLiteral("Welcome"));
    QCOMPARE(window->mapField->text(), QStringLiteral("q2dm8"));
    QVERIFY(window->addButton->isEnabled());
    QVERIFY(window->revengeAwardSpinner->isEnabled());
    QVERIFY(!window->highFraggerAwardSpinner->isEnabled());
    QCOMPARE(window->serverPanel->currentPanelNdx(), 3);
    QCOMPARE(window->serverStatusBar->statusText(), QStringLiteral("Done Reading"));
}

void TestMainWindow::newRebuildsMovedFlagsInCatalogueOrder()
{
    window->weapons.set(QStringLiteral("shotgun"));
    window->fragban.set(QStringLiteral("frags for blaster"));
    window->dmflags.set(QStringLiteral("DF_REVENGE_FACTOR"));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("2"));

    window->New->trigger();

    QCOMPARE(window->availableWeaponList->itemText(1), QStringLiteral("shotgun"));
    QCOMPARE(window->availableWeaponList->count(), 26);
    QCOMPARE(window->bannedWeaponList->count(), 0);
    QCOMPARE(window->availableFragList->itemText(0), QStringLiteral("frags for blaster"));
    QCOMPARE(window->weaponBanField->text(), QStringLiteral("0"));
    QCOMPARE(window->fragBanField->text(), QStringLiteral("0"));
    QCOMPARE(window->DMFLAGSField->text(), QStringLiteral("0"));
}

void TestMainWindow::ctrlCClosesExceptWhileEditingText()
{
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy closes(window.get(), &ServerConfiguration::released);

    window->serverNameField->setText(QStringLiteral("My Server"));
    window->serverNameField->setFocus();
    window->serverNameField->selectAll();
    QTest::keyClick(window->serverNameField, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(closes.size(), 0);

    window->motdTextArea->setFocus();
    QTest::keyClick(window->motdTextArea, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(closes.size(), 0);

    // A spinner holds a number, not text to copy: Ctrl+C closes there.
    window->maxClientsSpinner->setFocus();
    QTest::keyClick(window->maxClientsSpinner, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(closes.size(), 1);
    QVERIFY(!window->isVisible());
}

void TestMainWindow::aboutIsCentredOnTheMainWindow()
{
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QRect owner = window->frameGeometry();
    for (int round = 0; round < 2; ++round) {
        QPoint shownAt;
        QString title;
        whenModalOpens([&](QWidget *dialog) {
            shownAt = dialog->pos();
            title = dialog->windowTitle();
            auto *about = qobject_cast<AboutDialog *>(dialog);
            QVERIFY(about);
            QCOMPARE(about->label1->text(), QStringLiteral("Server Configuration Tool Version 1.0.1"));
            QVERIFY(about->label3->text().startsWith(
                QStringLiteral("please send any bug reports or comments to ")));
            QCOMPARE(about->size(), QSize(557, 131));
            QCOMPARE(about->okButton->geometry(), QRect(480, 90, 66, 30));
            QTest::mouseClick(about->okButton, Qt::LeftButton);
        });
        window->About->trigger(); // returns once "OK" has released the dialog
        QCOMPARE(title, QStringLiteral("AWT Application - About"));
        QCOMPARE(shownAt,
                 QPoint(owner.x() + (owner.width() - 557) / 2, owner.y() + (owner.height() - 131) / 2));
        QVERIFY(!QApplication::activeModalWidget());
    }
}

void TestMainWindow::aboutPositionForNarrowAndWideOwners_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("wide owner") << QRect(50, 50, 612, 582) << QPoint(50 + 27, 50 + 225);
    // 500 - 557 = -57, halved toward zero: -28, not -29.
    QTest::newRow("narrow owner, odd difference") << QRect(100, 40, 500, 100) << QPoint(100 - 28, 40 - 15);
    QTest::newRow("narrow owner, even difference") << QRect(0, 0, 501, 131) << QPoint(-28, 0);
}

void TestMainWindow::aboutPositionForNarrowAndWideOwners()
{
    QFETCH(QRect, owner);
    QFETCH(QPoint, expected);

    // owner is the frame's rectangle, decorations included, as the dialog sees it.
    QWidget ownerWindow;
    ownerWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ownerWindow));
    const QMargins frame = ownerWindow.windowHandle()->frameMargins();
    ownerWindow.setGeometry(owner - frame);
    QCOMPARE(ownerWindow.frameGeometry(), owner);
    AboutDialog dialog(&ownerWindow, true);
    dialog.setVisible(true);
    QCOMPARE(dialog.pos(), expected);
    // Hiding does not move the dialog.
    dialog.setVisible(false);
    QCOMPARE(dialog.pos(), expected);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
