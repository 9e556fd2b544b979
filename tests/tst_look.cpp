// SPDX-License-Identifier: GPL-2.0-or-later
// The form keeps its designed look under a dark desktop theme and a desktop
// font of other metrics, and tells the operator what the controls mean.
#include "app/AboutDialog.h"
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QTest>

using TestSupport::WorkingDirectory;

class TestLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void darkThemeKeepsDarkTextOnLightGrey();
    void captionsKeepTheirFacesAndFit();
    void toolTipsSayWhatControlsMean();
    void statusBarTellsWhereAndWhy();
    void accessibility();

private:
    std::unique_ptr<ServerConfiguration> window;
};

void TestLook::initTestCase()
{
    // A dark theme and a desktop font, as a desktop sets them before any
    // window is made.
    QPalette dark;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        dark.setColor(role, QColor(40, 40, 40));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(235, 235, 235));
    QApplication::setPalette(dark);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 14));
    window = std::make_unique<ServerConfiguration>();
    TestSupport::showEveryPage(*window);
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestLook::cleanupTestCase()
{
    window.reset();
}

void TestLook::darkThemeKeepsDarkTextOnLightGrey()
{
    QCOMPARE(window->palette().color(QPalette::Window), QColor(192, 192, 192));
    for (QWidget *control :
         std::initializer_list<QWidget *>{window->serverNameLabel, window->publicGameCheckbox,
                                          window->DMFLAGSLabel, window->availableFlagLabel})
        QCOMPARE(control->palette().color(control->foregroundRole()).lightness() < 60, true);
    for (QWidget *field : std::initializer_list<QWidget *>{window->serverNameField, window->weaponBanField,
                                                           window->motdTextArea, window->mapList})
        QVERIFY2(field->palette().color(QPalette::Base).lightness() > 200, qPrintable(field->objectName()));
    QCOMPARE(window->weaponBanField->palette().color(QPalette::Text), QColor(Qt::black));
}

void TestLook::captionsKeepTheirFacesAndFit()
{
    if (!QFontDatabase::hasFamily(QStringLiteral("DejaVu Serif")))
        QSKIP("DejaVu Serif, the foreign desktop font of this test, is not installed");
    const QStringList metricCompatible = {"Arial", "Helvetica",   "Liberation Sans",
                                          "Arimo", "Nimbus Sans", "Nimbus Sans L"};
    // Naming only the first installed family must give the face that Qt
    // picks from the whole list.
    QFont wholeList = window->serverNameLabel->font();
    wholeList.setFamilies(metricCompatible);
    QCOMPARE(QFontInfo(window->serverNameLabel->font()).family(), QFontInfo(wholeList).family());

    int labels = 0;
    QStringList clipped;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->objectName().isEmpty() || label == window->serverStatusBar)
            continue;
        ++labels;
        QVERIFY2(metricCompatible.contains(QFontInfo(label->font()).family()),
                 qPrintable(label->objectName()));
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->width()) {
            QCOMPARE(label->toolTip(), label->text());
            if (label->parentWidget() == window->mainPanel)
                clipped.append(label->objectName());
        }
    }
    QCOMPARE(labels, 13 + 18 + 9);
    // The Main page was drawn for these metrics: every caption fits, and
    // ends before the control it captions begins.
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(", ")));
    for (const QLabel *label : window->mainPanel->findChildren<QLabel *>()) {
        const QWidget *control = label->buddy();
        if (!control || control->x() <= label->x())
            continue; // a caption above its control
        QVERIFY2(label->x() + label->fontMetrics().horizontalAdvance(label->text()) < control->x(),
                 qPrintable(label->objectName()));
    }

    AboutDialog about(window.get(), true);
    for (const QLabel *label : about.findChildren<QLabel *>())
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->text()));
}

void TestLook::toolTipsSayWhatControlsMean()
{
    QCOMPARE(window->availableWeaponList->itemToolTip(19), "value 524288, bit 19");
    QCOMPARE(window->availableFlagList->itemToolTip(17),
             "value 131072, bit 17\nKez's day and night cycle; switches on the Day-Night Time spinner.");
    QCOMPARE(window->weaponBanField->toolTip(), "In server.cfg: set weaponban 0");
    window->setKezArmorFlag("Slug Armor");
    QCOMPARE(window->kezArmorBanField->toolTip(), "In server.cfg: set kezarmorban 2");
    QCOMPARE(window->dayNightTimeSpinner->toolTip(), "Enabled while DMFLAGS sets DF_DAYNIGHT");
    QCOMPARE(window->highFraggerAwardSpinner->toolTip(), "Enabled while DMFLAGS sets DF_REVENGE_FACTOR");
    QCOMPARE(window->motdTextArea->lineWrapMode(), QPlainTextEdit::NoWrap);
}

void TestLook::statusBarTellsWhereAndWhy()
{
    WorkingDirectory dir;
    QFile file("server.cfg");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("set maxclients many\n");
    file.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("server.cfg line 1"));
    window->Open->trigger();
    const QString where = "Save writes and Open reads server.cfg, motd.txt and maplist.txt in " + dir.path() +
                          "\nNo game data (a maps folder, .pak, .pk3 or .pkz) in " + dir.path() + " or " +
                          QDir::cleanPath(dir.path() + "/../baseq2") + ", so map names are not checked";
    QCOMPARE(
        window->serverStatusBar->toolTip(),
        where +
            "\nLast problem: server.cfg line 1 \"set maxclients many\" holds no decimal integer: \"many\" "
            "is in the way; Open stopped at this line.");
    QCOMPARE(window->serverStatusBar->statusText(), "Reading server.cfg");

    // The problem goes with a Save that worked; that Save replaced a file
    // that Open read only in part, and says where what it held is kept.
    const QString kept = "Save replaced a server.cfg that this window had not opened whole: the files "
                         "found before it are kept as server.cfg~ (kezcfg restore puts them back)";
    QTest::ignoreMessage(QtWarningMsg, qPrintable("kez-server-config: " + kept + "."));
    window->Save->trigger();
    QCOMPARE(window->serverStatusBar->toolTip(), where + "\n" + kept);
    QCOMPARE(window->serverStatusBar->accessibleDescription(), where + "\n" + kept);
}

void TestLook::accessibility()
{
    const auto accessible = [](QWidget *control) {
        return QAccessible::queryAccessibleInterface(control);
    };
    QCOMPARE(accessible(window->mapList)->text(QAccessible::Name), "Map rotation");
    QCOMPARE(accessible(window->mapField)->text(QAccessible::Name), "Map name");
    QCOMPARE(accessible(window->serverStatusBar)->role(), QAccessible::StatusBar);

    // After a move the flag in its place is selected, so Enter moves the next.
    window->New->trigger();
    window->availableWeaponList->select(0);
    window->availableWeaponList_MouseClicked(2);
    QCOMPARE(window->availableWeaponList->selectedItem(), "shotgun");
    window->availableWeaponList_MouseClicked(2);
    QCOMPARE(window->bannedWeaponList->items(), QStringList({"super blaster", "shotgun"}));
    QCOMPARE(window->bannedWeaponList->selectedIndex(), -1);
}

QTEST_MAIN(TestLook)
#include "tst_look.moc"
