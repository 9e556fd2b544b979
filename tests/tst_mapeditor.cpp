// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTest>

using TestSupport::whenModalOpens;
using TestSupport::WorkingDirectory;

class TestMapEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void checkboxSwitchesTheEditorOnOperatorChangesOnly();
    void addTypedNames();
    void pickAMapFile_data();
    void pickAMapFile();
    void moveUpAndDown_data();
    void moveUpAndDown();
    void removeActsOnTheSelectedPositionOnly();
    void nothingSelectedChangesNothing();
    void directionButtonsWorkWhileTheListIsDisabled();
    void mapsTheServerCannotFindAreMarked();

private:
    void fill(const QStringList &maps, int selected);
    std::unique_ptr<ServerConfiguration> window;
};

void TestMapEditor::init()
{
    window = std::make_unique<ServerConfiguration>();
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestMapEditor::cleanup()
{
    window.reset();
}

void TestMapEditor::fill(const QStringList &maps, int selected)
{
    for (const QString &map : maps)
        window->mapList->add(map);
    window->mapList->select(selected);
}

void TestMapEditor::checkboxSwitchesTheEditorOnOperatorChangesOnly()
{
    // Ticked from code: no command runs.
    window->mapListCheckbox->setChecked(true);
    QVERIFY(!window->addButton->isEnabled());
    window->mapListCheckbox->setChecked(false);

    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    QVERIFY(window->mapListCheckbox->isChecked());
    QVERIFY(window->mapList->isEnabled());
    QVERIFY(window->addButton->isEnabled());
    QVERIFY(window->removeButton->isEnabled());

    fill({"q2dm1", "q2dm2"}, 1);
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    QVERIFY(!window->mapList->isEnabled());
    QVERIFY(!window->addButton->isEnabled());
    QVERIFY(!window->removeButton->isEnabled());
    QCOMPARE(window->mapList->items(), QStringList({"q2dm1", "q2dm2"}));
    QCOMPARE(window->mapList->selectedIndex(), 1);

    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    QVERIFY(window->mapList->isEnabled());
    QCOMPARE(window->mapList->selectedIndex(), 1);
}

void TestMapEditor::addTypedNames()
{
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    for (const char *typed : {"q2dm1", "q2dm1.bsp", "q2dm1", " spaced "}) {
        window->mapField->setFocus();
        QTest::keyClicks(window->mapField, QString::fromUtf8(typed));
        QTest::mouseClick(window->addButton, Qt::LeftButton);
        QVERIFY(window->mapField->text().isEmpty());
    }
    // A space would end the map's word for the console, so the field refuses it.
    QCOMPARE(window->mapList->items(), QStringList({"q2dm1", "q2dm1.bsp", "q2dm1", "spaced"}));
    QCOMPARE(window->mapList->selectedIndex(), -1);

    // Enter in the field adds nothing: only the button does.
    QTest::keyClicks(window->mapField, QStringLiteral("q2dm9"));
    QTest::keyClick(window->mapField, Qt::Key_Return);
    QCOMPARE(window->mapList->count(), 4);
}

void TestMapEditor::pickAMapFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("lower-case map") << "q2dm1.bsp" << QStringList({"q2dm1"});
    QTest::newRow("upper-case map") << "Q2DM1.BSP" << QStringList({"Q2DM1"});
    QTest::newRow("three letters are compared, four cut") << "xbsp" << QStringList({""});
    QTest::newRow("a text file") << "notes.txt" << QStringList();
    QTest::newRow("shorter than four") << "bsp" << QStringList();
    QTest::newRow("cancelled") << "" << QStringList();
    QTest::newRow("a name the console would split") << "my;map.bsp" << QStringList();
}

void TestMapEditor::pickAMapFile()
{
    QFETCH(QString, file);
    QFETCH(QStringList, added);

    WorkingDirectory folder;
    if (!file.isEmpty()) {
        QFile map(folder.filePath(file));
        QVERIFY(map.open(QIODevice::WriteOnly));
    }
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    window->removeButton->setEnabled(false);

    QString title;
    whenModalOpens([&](QWidget *dialog) {
        auto *chooser = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(chooser);
        title = chooser->windowTitle();
        if (file.isEmpty()) {
            chooser->reject();
            return;
        }
        chooser->setDirectory(folder.path());
        chooser->selectFile(folder.filePath(file));
        QMetaObject::invokeMethod(chooser, "accept");
    });
    QTest::mouseClick(window->addButton, Qt::LeftButton);

    QCOMPARE(title, QStringLiteral("Open"));
    QCOMPARE(window->mapList->items(), added);
    QVERIFY(window->removeButton->isEnabled());
    QCOMPARE(window->mapList->selectedIndex(), -1);
}

void TestMapEditor::moveUpAndDown_data()
{
    QTest::addColumn<QStringList>("maps");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");

    const QStringList three = {"q2dm1", "q2dm2", "q2dm3"};
    QTest::newRow("middle up") << three << 1 << true << QStringList({"q2dm2", "q2dm1", "q2dm3"}) << 0;
    QTest::newRow("middle down") << three << 1 << false << QStringList({"q2dm1", "q2dm3", "q2dm2"}) << 2;
    QTest::newRow("last up") << three << 2 << true << QStringList({"q2dm1", "q2dm3", "q2dm2"}) << 1;
    QTest::newRow("first down") << three << 0 << false << QStringList({"q2dm2", "q2dm1", "q2dm3"}) << 1;
    QTest::newRow("first up stays") << three << 0 << true << three << 0;
    QTest::newRow("last down stays") << three << 2 << false << three << 2;
    QTest::newRow("single up") << QStringList({"q2dm1"}) << 0 << true << QStringList({"q2dm1"}) << 0;
    QTest::newRow("single down") << QStringList({"q2dm1"}) << 0 << false << QStringList({"q2dm1"}) << 0;
    QTest::newRow("second of two equal names down")
        << QStringList({"base1", "q2dm1", "base1", "q2dm2"}) << 2 << false
        << QStringList({"base1", "q2dm1", "q2dm2", "base1"}) << 3;
}

void TestMapEditor::moveUpAndDown()
{
    QFETCH(QStringList, maps);
    QFETCH(int, selected);
    QFETCH(bool, up);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);

    fill(maps, selected);
    QTest::mouseClick(up ? static_cast<QWidget *>(window->mapDirectionButtonUp)
                         : window->mapDirectionButtonDown,
                      Qt::LeftButton);
    QCOMPARE(window->mapList->items(), after);
    QCOMPARE(window->mapList->selectedIndex(), selectedAfter);
}

void TestMapEditor::removeActsOnTheSelectedPositionOnly()
{
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    fill({"base1", "q2dm1", "base1"}, 2);
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    QCOMPARE(window->mapList->items(), QStringList({"base1", "q2dm1"}));
    QCOMPARE(window->mapList->selectedIndex(), -1);
    QTest::mouseClick(window->removeButton, Qt::LeftButton); // nothing selected
    QCOMPARE(window->mapList->count(), 2);
}

void TestMapEditor::nothingSelectedChangesNothing()
{
    fill({"q2dm1", "q2dm2"}, -1);
    window->mapDirectionButtonUp_actionPerformed();
    window->mapDirectionButtonDown_actionPerformed();
    window->removeButton_ActionPerformed();
    QCOMPARE(window->mapList->items(), QStringList({"q2dm1", "q2dm2"}));
    QCOMPARE(window->mapList->selectedIndex(), -1);

    // With an empty list too; the remove button stays a harmless no-op.
    window->mapList->removeAll();
    window->removeButton->setEnabled(true);
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    QCOMPARE(window->mapList->count(), 0);
}

void TestMapEditor::directionButtonsWorkWhileTheListIsDisabled()
{
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    fill({"q2dm1", "q2dm2"}, 1);
    QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    QVERIFY(!window->mapList->isEnabled());
    QVERIFY(window->mapDirectionButtonUp->isEnabled());
    QTest::mouseClick(window->mapDirectionButtonUp, Qt::LeftButton);
    QCOMPARE(window->mapList->items(), QStringList({"q2dm2", "q2dm1"}));
}

void TestMapEditor::mapsTheServerCannotFindAreMarked()
{
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir("maps"));
    for (const char *name : {"maps/q2dm1.bsp", "maps/q2dm2.bsp", "server.cfg", "maplist.txt"}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (QByteArray(name) == "server.cfg")
            file.write("set maplist 1\nmap nothere\n");
        if (QByteArray(name) == "maplist.txt")
            file.write("q2dm1\nQ2DM2\nmissing\n");
    }
    window->Open->trigger();

    QVERIFY(
        window->startingMapField->toolTip().startsWith("The game server cannot find maps/nothere.bsp.\n"
                                                       "Looked for in the maps folders and the archives of " +
                                                       dir.path() + " and "));
    QVERIFY(window->startingMapField->styleSheet().contains("192, 0, 0"));
    QVERIFY(!window->mapList->itemNote(0));
    QCOMPARE(window->mapList->itemNote(1)->level, ValueNote::Level::Warning);
    QCOMPARE(window->mapList->itemNote(2)->level, ValueNote::Level::Error);
    QVERIFY(window->mapList->itemToolTip(2).startsWith("The game server cannot find maps/missing.bsp."));
    QVERIFY(window->serverStatusBar->toolTip().contains("Maps the game server can load: 2 in " + dir.path()));

    // Typing a map that is there takes the mark away; names complete in any letter case.
    window->startingMapField->setText("q2dm2");
    QCOMPARE(window->startingMapField->styleSheet(), QString());
    QCompleter *completer = window->mapField->completer();
    completer->setCompletionPrefix("Q2D");
    QCOMPARE(completer->completionCount(), 2);

    // A map that comes later is found at the next Open.
    QFile("maps/missing.bsp").open(QIODevice::WriteOnly);
    window->Open->trigger();
    QVERIFY(!window->mapList->itemNote(2));
}

QTEST_MAIN(TestMapEditor)
#include "tst_mapeditor.moc"
