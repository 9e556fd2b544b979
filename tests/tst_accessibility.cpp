// SPDX-License-Identifier: GPL-2.0-or-later
// What a screen reader is told of the window, asked as it asks: through the
// controls' accessible interfaces. (Qt sends no accessibility events on the
// offscreen platform; the end-to-end test accessibility_bus hears those.)
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QAccessible>
#include <QTest>

using TestSupport::WorkingDirectory;

namespace {

QAccessibleInterface *accessible(QObject *control)
{
    return QAccessible::queryAccessibleInterface(control);
}

// The description of the list's item called name, as a screen reader reads it.
QString itemDescription(ListBox *list, const QString &name)
{
    QAccessibleInterface *view = accessible(list);
    for (int i = 0; i < view->childCount(); ++i) {
        if (view->child(i)->text(QAccessible::Name) == name)
            return view->child(i)->text(QAccessible::Description);
    }
    return QStringLiteral("(no item %1)").arg(name);
}

bool related(QAccessibleInterface *from, QAccessibleInterface *to, QAccessible::Relation relation)
{
    for (const auto &[other, kind] : from->relations(relation)) {
        if (other == to && kind == relation)
            return true;
    }
    return false;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void flagItemsSayWhatTheirTooltipsSay();
    void pagesListsAndMaskFields();
    void aMoveIsToldOnTheFocusedList();
    void theStatusBarSaysWhatAndWhere();

private:
    std::unique_ptr<ServerConfiguration> window;
};

void TestAccessibility::initTestCase()
{
    window = std::make_unique<ServerConfiguration>();
    TestSupport::showEveryPage(*window);
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestAccessibility::cleanupTestCase()
{
    window.reset();
}

void TestAccessibility::flagItemsSayWhatTheirTooltipsSay()
{
    QCOMPARE(itemDescription(window->availableFlagList, "DF_NO_HEALTH"),
             "value 1, bit 0\nNo health items in the level.");
    QCOMPARE(itemDescription(window->availableFlagList, "DF_INFINITE_AMMO"),
             "value 8192, bit 13\nWeapons never run out of ammunition.");
    window->setWeaponsFlag("shotgun");
    QCOMPARE(itemDescription(window->bannedWeaponList, "shotgun"), "value 2, bit 1");
    window->New->trigger();
}

void TestAccessibility::pagesListsAndMaskFields()
{
    QCOMPARE(accessible(window->mainPanel)->text(QAccessible::Name), "Main");
    QCOMPARE(accessible(window->kezArmorBanPanel)->text(QAccessible::Name), "Kez Armor Ban");

    for (const auto &[list, caption] :
         {std::pair<ListBox *, QLabel *>(window->availableFlagList, window->availableFlagLabel),
          {window->bannedFragList, window->bannedFragLabel}}) {
        QVERIFY(related(accessible(list), accessible(caption), QAccessible::Label));
        QVERIFY(related(accessible(caption), accessible(list), QAccessible::Labelled));
        // Qt's own answers stay: the list is still a list of its items.
        QCOMPARE(accessible(list)->role(), QAccessible::List);
        QCOMPARE(accessible(list)->childCount(), list->count());
    }

    const QAccessible::State mask = accessible(window->fragBanField)->state();
    QVERIFY(mask.readOnly);
    QVERIFY(!mask.editable);
    QCOMPARE(accessible(window->fragBanField)->text(QAccessible::Value), "0");
    QVERIFY(accessible(window->fragBanField)->textInterface());
    const QAccessible::State name = accessible(window->serverNameField)->state();
    QVERIFY(name.editable);
    QVERIFY(!name.readOnly);
}

void TestAccessibility::aMoveIsToldOnTheFocusedList()
{
    window->New->trigger();
    window->serverPanel->setCurrentPanelNdx(1);
    ListBox *available = window->availableFlagList;
    available->setFocus();
    available->select(1);
    QTest::keyClick(available, Qt::Key_Return);
    QCOMPARE(window->setFlagList->items(), QStringList{"DF_NO_ITEMS"});
    QCOMPARE(accessible(available)->text(QAccessible::Description),
             "DF_NO_ITEMS moved to Set Flags. DMFLAGS mask: 2");

    // A double click on the other list moves it back, and says so there.
    window->setFlagList->select(0);
    emit window->setFlagList->mouseClicked(2);
    QCOMPARE(accessible(window->setFlagList)->text(QAccessible::Description),
             "DF_NO_ITEMS moved to Available Flags. DMFLAGS mask: 0");
    // A flag that a command sets is not announced.
    window->setWeaponsFlag("shotgun");
    QCOMPARE(accessible(window->availableWeaponList)->text(QAccessible::Description), "");
}

void TestAccessibility::theStatusBarSaysWhatAndWhere()
{
    QAccessibleInterface *status = accessible(window->serverStatusBar);
    QCOMPARE(status->text(QAccessible::Name), "Status");
    WorkingDirectory folder;
    window->Save->trigger();
    QCOMPARE(status->text(QAccessible::Name), "Finished generating files");
    QVERIFY(status->text(QAccessible::Description)
                .startsWith("Save writes and Open reads server.cfg, motd.txt and maplist.txt in " +
                            folder.path()));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
