// SPDX-License-Identifier: GPL-2.0-or-later
// What the game server's console would make of the form's values: fields
// refuse, at the keystroke and the paste, what would not reach the server as
// shown; values from a file are kept and marked; masks a float cannot hold
// are explained.
#include "app/ServerConfiguration.h"

#include "TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTest>

using TestSupport::WorkingDirectory;

namespace {

// QTest::keyClicks types ASCII only; other characters arrive as the text of
// a key event, as an input method delivers them.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(c));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class TestConsoleRules : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fieldsRefuseWhatTheConsoleWouldChange_data();
    void fieldsRefuseWhatTheConsoleWouldChange();
    void aValueFromAFileIsKeptAndMarked();
    void masksAFloatCannotHoldAreExplained();

private:
    TextField *field(const QString &name) const { return window->findChild<TextField *>(name); }
    std::unique_ptr<ServerConfiguration> window;
};

void TestConsoleRules::init()
{
    window = std::make_unique<ServerConfiguration>();
    window->setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestConsoleRules::cleanup()
{
    window.reset();
}

void TestConsoleRules::fieldsRefuseWhatTheConsoleWouldChange_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("holds");

    QTest::newRow("a command after the starting map")
        << "startingMapField" << false << "q2dm1; set rcon_password PWNED"
        << "q2dm1setrcon_passwordPWNED";
    QTest::newRow("a space would publish half the password") << "rconPasswdField" << false << "secret s"
                                                             << "secrets";
    QTest::newRow("; in the password") << "rconPasswdField" << false << "pa;ss"
                                       << "pass";
    QTest::newRow("a quote ends the host name early") << "serverNameField" << false << "Bob\" ; set x 1 ; \""
                                                      << "Bob  set x 1  ";
    QTest::newRow("; in a web page") << "webpageField" << false << "http://example.net/?a=1;b=2"
                                     << "http://example.net/?a=1b=2";
    QTest::newRow("a password beginning with //") << "rconPasswdField" << false << "//x"
                                                  << "/x";
    QTest::newRow("$ would expand a variable") << "startingMapField" << false << "$rcon_password"
                                               << "rcon_password";
    QTest::newRow("a host name of 64 characters")
        << "serverNameField" << false << QString(64, 'h') << QString(63, 'h');
    QTest::newRow("beyond ASCII") << "serverNameField" << false << "Café"
                                  << "Caf";
    QTest::newRow("a backslash in the admin name") << "adminNameField" << false << "a\\b"
                                                   << "ab";
    QTest::newRow("$ and // are fine inside quotes") << "emailField" << false << "$me//x@example.org"
                                                     << "$me//x@example.org";
    QTest::newRow("a map name with a space") << "mapField" << false << "my map"
                                             << "mymap";
    QTest::newRow("a pasted command is refused whole") << "rconPasswdField" << true << "pa;ss" << QString();
    QTest::newRow("a pasted line break in a public value") << "serverNameField" << true << "two\nlines"
                                                           << "two lines";
    QTest::newRow("a pasted password of 128 characters")
        << "rconPasswdField" << true << QString(128, 'p') << QString();
}

void TestConsoleRules::fieldsRefuseWhatTheConsoleWouldChange()
{
    QFETCH(QString, field);
    QFETCH(bool, pasted);
    QFETCH(QString, payload);
    QFETCH(QString, holds);

    TextField *target = this->field(field);
    QVERIFY(target);
    if (field == "mapField")
        QTest::mouseClick(window->mapListCheckbox, Qt::LeftButton);
    target->setFocus();
    if (pasted) {
        QApplication::clipboard()->setText(payload);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    } else {
        type(target, payload);
    }
    QCOMPARE(target->text(), holds);
    QVERIFY(!target->breaksRule());
}

void TestConsoleRules::aValueFromAFileIsKeptAndMarked()
{
    WorkingDirectory dir;
    QFile file("server.cfg");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("set rcon_password pa;ss\nset hostname \"ok\"\n");
    file.close();

    window->Open->trigger();
    TextField *password = window->rconPasswdField;
    QCOMPARE(password->text(), "pa;ss");
    QVERIFY(password->breaksRule());
    QVERIFY2(password->toolTip().contains("holds ;, which ends a console command"),
             qPrintable(password->toolTip()));
    QVERIFY(!window->serverNameField->breaksRule());

    // Typing cannot make it worse, deleting the fault mends it.
    password->setFocus();
    password->setCursorPosition(3);
    QTest::keyClick(password, Qt::Key_Dollar);
    QCOMPARE(password->text(), "pa;ss");
    QTest::keyClick(password, Qt::Key_Backspace);
    QCOMPARE(password->text(), "pass");
    QVERIFY(!password->breaksRule());
    QVERIFY(!password->toolTip().contains("would not get"));

    // What the form shows is what Save writes.
    password->setText("pa;ss");
    window->Save->trigger();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nset rcon_password pa;ss\n"));
}

void TestConsoleRules::masksAFloatCannotHoldAreExplained()
{
    window->setWeaponsFlag("BFG10K");
    QCOMPARE(window->weaponBanField->toolTip(), "In server.cfg: set weaponban 33554432");
    window->setWeaponsFlag("super blaster");
    QCOMPARE(window->weaponBanField->text(), "33554433");
    QCOMPARE(window->weaponBanField->toolTip(),
             "In server.cfg: set weaponban 33554433\nThe server holds settings as 32-bit floats, so the game reads "
             "this mask as 33554432 and sees these flags instead: BFG10K.");
    window->setWeaponsFlag("shotgun");
    QCOMPARE(window->weaponBanField->text(), "33554435");
    QVERIFY2(window->weaponBanField->toolTip().contains("as 33554436 and sees these flags instead: "),
             qPrintable(window->weaponBanField->toolTip()));
    window->New->trigger();
    QCOMPARE(window->weaponBanField->toolTip(), "In server.cfg: set weaponban 0");
}

QTEST_MAIN(TestConsoleRules)
#include "tst_consolerules.moc"
