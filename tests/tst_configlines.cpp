// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationLines.h"
#include "configfiles/KeptLines.h"

#include "SaveRun.h"

#include <QTest>

using namespace ConfigurationLines;

Q_DECLARE_METATYPE(TextControl)

namespace {

ServerSettings startUpSettings()
{
    ServerSettings settings;
    for (QString &mask : settings.masks)
        mask = QStringLiteral("0");
    return settings;
}

// The key text that matches line, or "-" when the line is skipped.
QString keyOf(const QString &line)
{
    const ServerKey *key = ConfigurationLines::matchKey(line);
    return key ? key->key.toString() : QStringLiteral("-");
}

} // namespace

class TestConfigLines : public QObject
{
    Q_OBJECT

private slots:
    void splitLines_data();
    void splitLines();
    void identityLine_data();
    void identityLine();
    void startUpFormGivesTwentyEightLines();
    void optionalLines_data();
    void optionalLines();
    void valuesGoInFileOrder();
    void motdMessageLines_data();
    void motdMessageLines();
    void matchKey_data();
    void matchKey();
    void cutValue_data();
    void cutValue();
    void placeholderLines_data();
    void placeholderLines();
    void linesTheFormDoesNotOwn_data();
    void linesTheFormDoesNotOwn();
    void keptLinesComeBeforeTheStartingMap();
};

void TestConfigLines::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty text has no lines") << QString() << QStringList();
    QTest::newRow("line feed") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("carriage return and line feed") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lone carriage return") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("last line without a terminator") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("a terminator alone is one empty line") << "\n" << QStringList{""};
    QTest::newRow("CR then CR LF is two ends") << "a\r\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("LF then CR is two ends") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("spaces belong to the line") << " a \n\t\n" << QStringList{" a ", "\t"};
    QTest::newRow("other separators are text")
        << QString::fromUtf16(u"a\u2028b\u0085c") << QStringList{QString::fromUtf16(u"a\u2028b\u0085c")};
}

void TestConfigLines::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(ConfigurationLines::splitLines(text), lines);
}

void TestConfigLines::identityLine_data()
{
    QTest::addColumn<TextControl>("control");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");

    QTest::newRow("server name") << TextControl::ServerName << "My Server"
                                 << "set hostname \"My Server\"";
    QTest::newRow("admin name") << TextControl::AdminName << "Bob"
                                << "set ServerAdmin \"Bob\" s";
    QTest::newRow("one space is not empty") << TextControl::ServerName << " "
                                            << "set hostname \" \"";
    QTest::newRow("quotes are not escaped") << TextControl::Email << "say \"hi\""
                                            << "set email \"say \"hi\"\" s";
    QTest::newRow("non-ASCII") << TextControl::Webpage
                               << QString::fromUtf16(u"http://ex\u00e4mple.org/\u263a")
                               << QString::fromUtf16(u"set webpage \"http://ex\u00e4mple.org/\u263a\" s");
    QTest::newRow("text that looks like a placeholder is kept")
        << TextControl::ServerName << "<your server name here> "
        << "set hostname \"<your server name here> \"";
}

void TestConfigLines::identityLine()
{
    QFETCH(TextControl, control);
    QFETCH(QString, value);
    QFETCH(QString, line);
    ServerSettings settings = startUpSettings();
    settings.text(control) = value;
    // The identity lines are lines 9 to 12, in the order of the controls.
    QCOMPARE(serverCfgLines(settings).at(8 + int(control)), line);
}

void TestConfigLines::startUpFormGivesTwentyEightLines()
{
    const QStringList lines = serverCfgLines(startUpSettings());
    QCOMPARE(lines.join(u'\n').toUtf8() + '\n', startUpServerCfg);
    // The placeholder lines keep the lengths that readers cut by.
    QCOMPARE(lines[8].size(), 38);
    QCOMPARE(lines[9].size(), 44);
    QCOMPARE(lines[10].size(), 45);
    QCOMPARE(lines[11].size(), 43);
}

void TestConfigLines::optionalLines_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("map");
    QTest::addColumn<bool>("mapList");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("line13");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("neither") << QString() << QString() << false << 28 << "set dmflags 0"
                             << "set maplist 0";
    QTest::newRow("password only") << "secret" << QString() << true << 29 << "set rcon_password secret"
                                   << "set maplist 1";
    QTest::newRow("starting map only") << QString() << "q2dm1" << false << 29 << "set dmflags 0"
                                       << "map q2dm1";
    QTest::newRow("both") << "a \"b\""
                          << " q2dm1 " << true << 30 << "set rcon_password a \"b\""
                          << "map  q2dm1 ";
}

void TestConfigLines::optionalLines()
{
    QFETCH(QString, password);
    QFETCH(QString, map);
    QFETCH(bool, mapList);
    QFETCH(int, count);
    QFETCH(QString, line13);
    QFETCH(QString, lastLine);

    ServerSettings settings = startUpSettings();
    settings.text(TextControl::RconPassword) = password;
    settings.text(TextControl::StartingMap) = map;
    settings.mapList = mapList;
    const QStringList lines = serverCfgLines(settings);
    QCOMPARE(lines.size(), count);
    QCOMPARE(lines[12], line13);
    QCOMPARE(lines.last(), lastLine);
}

void TestConfigLines::valuesGoInFileOrder()
{
    ServerSettings settings = startUpSettings();
    settings.publicGame = true;
    int n = 1;
    for (SpinnerControl spinner : allSpinnerControls)
        settings.number(spinner) = n++;
    // Tab order: DMFLAGS, Weapon Ban, Kez Weapon Ban, Kez Sweeper Ban, Kez
    // Grenade Ban, Feature Ban, Kez Feature Ban, Kez Armor Ban, Frag Ban.
    settings.masks = {"100", "not a number", "102", "103", "104", "105", "106", "107", "108"};

    const QStringList lines = serverCfgLines(settings);
    // setmaster makes a server public, so the choice comes after it.
    QCOMPARE(lines.mid(6, 2), QStringList({"setmaster master1.example.net master2.example.net "
                                           "master3.example.net master4.example.net",
                                           "set public 1"}));
    // dmflags, the six spinners, then the masks in their own order, which
    // is not the order of the tabs.
    QCOMPARE(lines.mid(12, 15), QStringList({
                                    "set dmflags 100",
                                    "set maxclients 1",
                                    "set fraglimit 2",
                                    "set timelimit 3",
                                    "set revengeaward 4",
                                    "set highfraggeraward 5",
                                    "set daynighttime 6",
                                    "set weaponban not a number",
                                    "set featureban 105",
                                    "set fragban 108",
                                    "set kezweaponban 102",
                                    "set kezsweeperban 103",
                                    "set kezgrenadeban 104",
                                    "set kezfeatureban 106",
                                    "set kezarmorban 107",
                                }));
}

void TestConfigLines::motdMessageLines_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty message gives no lines") << QString() << QStringList();
    QTest::newRow("one line") << "Welcome" << QStringList{"Welcome"};
    QTest::newRow("final line feed adds nothing") << "Welcome\n" << QStringList{"Welcome"};
    QTest::newRow("two line feeds give an empty line") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("a line feed alone is one empty line") << "\n" << QStringList{""};
    QTest::newRow("pieces are kept as they are") << " a \r\n\tb " << QStringList{" a \r", "\tb "};
}

void TestConfigLines::motdMessageLines()
{
    QFETCH(QString, message);
    QFETCH(QStringList, lines);
    QCOMPARE(ConfigurationLines::motdMessageLines(message), lines);
}

void TestConfigLines::matchKey_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("key");

    QTest::newRow("whole-line key") << "set public 1"
                                    << "set public 1";
    QTest::newRow("whole-line key ignores case") << "SET Public 0"
                                                 << "set public 0";
    QTest::newRow("whole-line key with a trailing space") << "set public 1 "
                                                          << "-";
    QTest::newRow("prefix key") << "set maxclients 8"
                                << "set maxclients";
    QTest::newRow("prefix key runs into a letter") << "set maxclientsX"
                                                   << "set maxclients";
    QTest::newRow("prefix key in capitals") << "SET MAXCLIENTS 8"
                                            << "-";
    QTest::newRow("mixed-case variable as written") << "set ServerAdmin \"a\" s"
                                                    << "set ServerAdmin";
    QTest::newRow("map line") << "map q2dm1"
                              << "map";
    QTest::newRow("map runs into a letter") << "mapfoo"
                                            << "map";
    QTest::newRow("map list") << "set maplist 1"
                              << "set maplist";
    QTest::newRow("map list in capitals") << "SET MAPLIST 1"
                                          << "-";
    QTest::newRow("mask") << "set kezsweeperban 3"
                          << "set kezsweeperban";
    QTest::newRow("comment") << "// problems please email me at x"
                             << "-";
    QTest::newRow("deathmatch") << "set deathmatch 1"
                                << "-";
    QTest::newRow("empty line") << ""
                                << "-";
}

void TestConfigLines::matchKey()
{
    QFETCH(QString, line);
    QFETCH(QString, key);
    QCOMPARE(keyOf(line), key);
}

void TestConfigLines::cutValue_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("tooShort");
    QTest::addColumn<QString>("value");

    QTest::newRow("host name") << "set hostname \"My Server\"" << false << "My Server";
    QTest::newRow("host name of two quotes is empty") << "set hostname \"\"" << false << "";
    QTest::newRow("host name without its closing quote") << "set hostname \"" << true << "";
    QTest::newRow("admin name") << "set ServerAdmin \"Bob\" s" << false << "Bob";
    QTest::newRow("positions decide, not quotes") << "set ServerAdmin \"Bob\"" << false << "B";
    QTest::newRow("quotes inside a value") << "set email \"a\"b\" s" << false << "a\"b";
    QTest::newRow("password") << "set rcon_password  pw " << false << " pw ";
    QTest::newRow("dropped characters are not inspected") << "set maxclientsX8" << false << "8";
    QTest::newRow("starting map") << "map q2dm1" << false << "q2dm1";
    QTest::newRow("map alone") << "map" << true << "";
    QTest::newRow("map and a space") << "map " << false << "";
    QTest::newRow("mask key alone") << "set fragban" << true << "";
}

void TestConfigLines::cutValue()
{
    QFETCH(QString, line);
    QFETCH(bool, tooShort);
    QFETCH(QString, value);

    const ServerKey *key = ConfigurationLines::matchKey(line);
    QVERIFY(key);
    const std::optional<QString> cut = ConfigurationLines::cutValue(line, *key);
    QCOMPARE(!cut.has_value(), tooShort);
    if (cut)
        QCOMPARE(*cut, value);
}

void TestConfigLines::placeholderLines_data()
{
    QTest::addColumn<TextControl>("control");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("placeholder");

    QTest::newRow("host name placeholder")
        << TextControl::ServerName << "set hostname \"<your server name here>\"" << true;
    QTest::newRow("in other letter case")
        << TextControl::Email << "SET EMAIL \"<ADMIN EMAIL ADDRESS GOES HERE>\" S" << true;
    QTest::newRow("with a trailing space")
        << TextControl::Webpage << "set webpage \"<webpage address goes here>\" s " << false;
    QTest::newRow("admin placeholder without its s")
        << TextControl::AdminName << "set ServerAdmin \"<server admin name here>\"" << false;
    QTest::newRow("host name placeholder with an s")
        << TextControl::ServerName << "set hostname \"<your server name here>\" s" << false;
}

void TestConfigLines::placeholderLines()
{
    QFETCH(TextControl, control);
    QFETCH(QString, line);
    QFETCH(bool, placeholder);
    QCOMPARE(isPlaceholderLine(control, line), placeholder);
}

void TestConfigLines::linesTheFormDoesNotOwn_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("setting"); // "" when Save keeps the line

    QTest::newRow("join password") << "set password secretjoin"
                                   << "";
    QTest::newRow("address ban") << "sv addip 10.0.0.1"
                                 << "";
    QTest::newRow("comment") << "// bans below"
                             << "";
    QTest::newRow("another file") << "exec bans.cfg"
                                  << "";
    QTest::newRow("a variable alone prints it") << "fraglimit"
                                                << "";
    QTest::newRow("quoted semicolon") << "set motd \"a;set timelimit 5\""
                                      << "";
    QTest::newRow("a command in any letter case") << "SET fraglimit 99"
                                                  << "fraglimit";
    QTest::newRow("a variable of its own in another letter case") << "set FragLimit 99"
                                                                  << "";
    QTest::newRow("a bare variable in another letter case") << "TIMELIMIT 5"
                                                            << "";
    QTest::newRow("a variable the form writes in mixed case") << "set ServerAdmin x"
                                                              << "ServerAdmin";
    QTest::newRow("starting a level in capitals") << "GAMEMAP q2dm3"
                                                  << "gamemap";
    QTest::newRow("seta") << "seta hostname Other"
                          << "hostname";
    QTest::newRow("bare variable and value") << "timelimit 5"
                                             << "timelimit";
    QTest::newRow("white space") << "  set\tweaponban   4"
                                 << "weaponban";
    QTest::newRow("a no-break space separates, as the console reads bytes")
        << QString::fromUtf8("set\u00a0fraglimit 0") << "fraglimit";
    QTest::newRow("second command") << "set password x; set maxclients 4"
                                    << "maxclients";
    QTest::newRow("a comment hides no semicolon") << "set password x // a; map q2dm3"
                                                  << "map";
    QTest::newRow("gamemap") << "gamemap q2dm3"
                             << "gamemap";
    QTest::newRow("setmaster alone") << "setmaster"
                                     << "setmaster";
    QTest::newRow("deathmatch") << "set deathmatch 0"
                                << "deathmatch";
    QTest::newRow("public") << "set public  1"
                            << "public";
}

void TestConfigLines::linesTheFormDoesNotOwn()
{
    QFETCH(QString, line);
    QFETCH(QString, setting);
    QCOMPARE(KeptLines::formSettingOf(line).value_or(QString()), setting);
}

void TestConfigLines::keptLinesComeBeforeTheStartingMap()
{
    const QStringList file = {
        "// This file was generated by Vask:KEZ Server Configuration Program",
        "// problems please email me at kez@example.org",
        "",
        "set password secretjoin",
        "set fraglimit 25",
        "   ",
        "SET fraglimit 99",
        "set FRAGLIMIT 99",
        "sv addip 10.0.0.1",
        "map q2dm1",
    };
    QCOMPARE(KeptLines::keptLines(file),
             QStringList({"set password secretjoin", "set FRAGLIMIT 99", "sv addip 10.0.0.1"}));
    // An alias that sets a form setting is kept; running it is the form's.
    QCOMPARE(
        KeptLines::keptLines({"alias r1 \"fraglimit 20; map q2dm1\"", "alias hi \"say hello\"", "r1", "hi"}),
        QStringList({"alias r1 \"fraglimit 20; map q2dm1\"", "alias hi \"say hello\"", "hi"}));

    ServerSettings settings = startUpSettings();
    settings.keptLines = {"set password secretjoin", "sv addip 10.0.0.1"};
    QStringList lines = serverCfgLines(settings);
    QCOMPARE(lines.mid(lines.size() - 3),
             QStringList({"set maplist 0", "set password secretjoin", "sv addip 10.0.0.1"}));
    settings.text(TextControl::StartingMap) = "q2dm1";
    lines = serverCfgLines(settings);
    QCOMPARE(lines.mid(lines.size() - 3),
             QStringList({"set password secretjoin", "sv addip 10.0.0.1", "map q2dm1"}));
}

QTEST_GUILESS_MAIN(TestConfigLines)
#include "tst_configlines.moc"
