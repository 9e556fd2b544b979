// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg end to end: the real program on files in a temporary folder, each
// command's output and exit status against literal text.
#include "PeakMemory.h"
#include "SaveRun.h"
#include "WorkingDirectory.h"

#include "files/FolderLock.h"

#include "configfiles/ApplyInput.h"

#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::WorkingDirectory;

namespace {

void put(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

SaveRun fullForm()
{
    SaveRun form;
    ServerSettings &s = form.settings;
    s.text(TextControl::ServerName) = "Frag Night";
    s.text(TextControl::AdminName) = "Ann";
    s.text(TextControl::Email) = "ann@example.org";
    s.text(TextControl::Webpage) = "http://example.org/frag";
    s.text(TextControl::RconPassword) = "letmein";
    s.text(TextControl::StartingMap) = "q2dm2";
    s.numbers = {16, 30, 20, 1, 2, 3};
    s.masks[0] = "196624"; // DF_INSTANT_ITEMS, DF_REVENGE_FACTOR, DF_DAYNIGHT
    s.masks[1] = "524290"; // shotgun, rocket launcher
    s.publicGame = true;
    s.mapList = true;
    s.maps = {"q2dm1", "q2dm2"};
    s.messageOfTheDay = "Welcome";
    return form;
}

// Sets up the working directory as a row names it.
void prepare(const QString &setup)
{
    if (setup == "start-up save") {
        QVERIFY(SaveRun().run());
    } else if (setup == "full save") {
        QVERIFY(fullForm().run());
    } else if (setup == "faults") {
        put("server.cfg", "set public 0\n"
                          "setmaster a b c d\n"
                          "set hostname \"<your server name here>\"\n"
                          "set ServerAdmin \"Bo;b\" s\n"
                          "set email \"a\"b\" s\n"
                          "set webpage \"" +
                              QByteArray(64, 'w') +
                              "\" s\n"
                              "set rcon_password pa;ss\n"
                              "SET MAXCLIENTS 8\n"
                              "set fraglimit 300\n"
                              "set fraglimit 5\n"
                              "set revengeaward 3\n"
                              "set daynighttime 2\n"
                              "set weaponban 33554433\n"
                              "set kezgrenadeban 65\n"
                              "set maplist 1\n"
                              "map $rcon_password\n"
                              "// " +
                              QByteArray(1100, 'x') +
                              "\n"
                              "set timelimit x\n"
                              "set highfraggeraward 1\n");
    } else if (setup == "map faults") {
        put("server.cfg", "set maplist 1\nmap q2dm9\n");
        put("maplist.txt", "q2dm1\nmy map\n");
    } else if (setup == "game maps") {
        put("server.cfg", "set maplist 1\nmap q2dm9\n");
        put("maplist.txt", "q2dm1\nQ2DM2\n");
        QVERIFY(QDir().mkdir("maps"));
        put("maps/q2dm1.bsp", "");
        put("maps/q2dm2.bsp", "");
        put("pak0.pak", "junk");
    } else if (setup == "map list off") {
        put("server.cfg", "set maplist 0\nmap q2dm1\n");
        put("maplist.txt", "q2dm9\nmy map\n");
        QVERIFY(QDir().mkdir("maps"));
        put("maps/q2dm1.bsp", "");
    } else if (setup == "fifo") {
        QCOMPARE(::mkfifo("server.cfg", 0644), 0);
    }
}

} // namespace

class TestKezcfg : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void jsonHoldsWhatShowPrints();
    void aFailureFollowsWhatWasPrinted();
    void applyWritesOnlyWhatChanges();
    void applyRefusesAndTouchesNothing_data();
    void applyRefusesAndTouchesNothing();
    void applyTakesRotationsHoweverWritten_data();
    void applyTakesRotationsHoweverWritten();
    void applyChangesARotationAnywhere();
    void concurrentAppliesDoNotMix();
    void applyWaitsWhileTheFolderIsHeld();
    void applyKeepsTheLinesTheFormDoesNotOwn();
    void applyKeepsWhatItReplacesAndRestorePutsItBack();
    void applyWritesNothingWhenOneFileCannotBe_data();
    void applyWritesNothingWhenOneFileCannotBe();
    void applyKeepsAnUnreadableRotation();
    void aForeignLockFileIsReportedNotWaitedFor();
    void applyRefusesMapsTheServerCannotFind_data();
    void applyRefusesMapsTheServerCannotFind();
    void messageOfTheDayGoesThroughShowAndApply();
    void familyEntries();
    void unansweredServerIsSaidOnce();
    void applyBoundsItsInput_data();
    void applyBoundsItsInput();
    void noControlByteReachesTheTerminal_data();
    void noControlByteReachesTheTerminal();
    void readAtMostStopsPastTheBound();
    void checkEndsOnAStoredTextThatRunsItself();
};

namespace {

// Runs kezcfg apply on the working directory with json on standard input.
QString apply(const QByteArray &json, int expectedStatus = 0, const QStringList &options = {})
{
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), QStringList{"apply"} + options + QStringList{".", "-"});
    kezcfg.write(json);
    kezcfg.closeWriteChannel();
    kezcfg.waitForFinished(20000);
    const QString output = QString::fromUtf8(kezcfg.readAllStandardOutput() + kezcfg.readAllStandardError());
    if (kezcfg.exitCode() != expectedStatus)
        qWarning() << "kezcfg apply exited" << kezcfg.exitCode() << output;
    return output;
}

// The first control byte of output (a line feed ends a line, and is none), or -1.
int controlByte(const QByteArray &output)
{
    for (qsizetype i = 0; i < output.size(); ++i) {
        const auto byte = quint8(output[i]);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7f ||
            (byte == 0xc2 && i + 1 < output.size() && quint8(output[i + 1]) < 0xa0))
            return byte;
    }
    return -1;
}

// A shell command's exit status, what it printed (on standard error, and on
// standard output after it) and the peak resident size of the largest
// process it ran, in KiB.
struct ShellRun
{
    int status = -1;
    QByteArray error;
    long peakKiB = 0;
};

ShellRun runShell(const QByteArray &command)
{
    ShellRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char *argv[] = {"sh", "-c", command.constData(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "sh", &actions, nullptr, const_cast<char **>(argv), environ) == 0) {
        int status = 0;
        rusage usage = {};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
            run.status = WEXITSTATUS(status);
        run.peakKiB = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (const char *name : {"stderr.txt", "stdout.txt"}) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            run.error += file.readAll();
        file.remove();
    }
    return run;
}

QByteArray contents(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

void TestKezcfg::commands_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("status");

    QTest::newRow("flags of one family by its caption") << "" << QStringList{"flags", "kez ARMOR ban"}
                                                        << "Kez Armor Ban (set kezarmorban)\n"
                                                           "  bit  0           1  Organic Armor\n"
                                                           "  bit  1           2  Slug Armor\n"
                                                           "  bit  2           4  Cell Armor\n"
                                                           "  bit  3           8  Shell Armor\n"
                                                           "  bit  4          16  Bullet Armor\n"
                                                           "  bit  5          32  Rocket Armor\n"
                                                           "  bit  6          64  Grenade Armor\n"
                                                        << "" << 0;
    QTest::newRow("an unknown family")
        << "" << QStringList{"flags", "armour"} << ""
        << "kezcfg: no family is called \"armour\"; the families are dmflags, weaponban, kezweaponban, "
           "kezsweeperban, kezgrenadeban, featureban, kezfeatureban, kezarmorban, fragban, or their tab "
           "captions\n"
        << 2;
    QTest::newRow("decode") << "" << QStringList{"decode", "weaponban", "524290"}
                            << "shotgun\nrocket launcher\n"
                            << "" << 0;
    QTest::newRow("decode a bit no flag carries")
        << "" << QStringList{"decode", "KEZGRENADEBAN", "65"} << "plasmaclustergrenade\nbit 6 (64): no flag\n"
        << "" << 0;
    QTest::newRow("decode a negative mask")
        << "" << QStringList{"decode", "fragban", "-2147483648"} << "bit 31 (2147483648): no flag\n"
        << "" << 0;
    QTest::newRow("decode a mask the game reads as another")
        << "" << QStringList{"decode", "weaponban", "33554434"}
        << "shotgun\nBFG10K\nthe game reads the mask 33554434 as 33554432 (settings are 32-bit floats) and "
           "applies: BFG10K\n"
        << "" << 1;
    QTest::newRow("decode what is no number") << "" << QStringList{"decode", "weaponban", "0x10"} << ""
                                              << "kezcfg: the mask \"0x10\" is not a decimal integer\n"
                                              << 2;
    QTest::newRow("encode ignores letter case")
        << "" << QStringList{"encode", "weaponban", "BFG10K", "Super Blaster"} << "33554433\n"
        << "" << 0;
    QTest::newRow("encode an unknown flag") << "" << QStringList{"encode", "weaponban", "nope"} << ""
                                            << "kezcfg: Weapon Ban has no flag \"nope\"\n"
                                            << 2;
    QTest::newRow("a flag or family name that is near")
        << "" << QStringList{"encode", "weaponban", "rocketlauncher"} << ""
        << "kezcfg: Weapon Ban has no flag \"rocketlauncher\"; did you mean rocket launcher?\n"
        << 2;
    QTest::newRow("a family name that is near") << "" << QStringList{"decode", "weaponbn", "1"} << ""
                                                << "kezcfg: no family is called \"weaponbn\"; did you mean "
                                                   "weaponban?\n"
                                                << 2;
    QTest::newRow("maps, and the server stops at a broken pak")
        << "game maps" << QStringList{"maps"} << "q2dm1  maps/q2dm1.bsp\nq2dm2  maps/q2dm2.bsp\n"
        << "kezcfg: pak0.pak: error: is not a pack file (it does not begin with PACK): the game server stops "
           "at "
           "start-up\n"
        << 2;
    QTest::newRow("check judges maps against the game data")
        << "game maps" << QStringList{"check"}
        << "maplist.txt:2: warning: maps/Q2DM2.bsp is only there as maps/q2dm2.bsp, which only engines that "
           "also "
           "try a name in lower case find\n"
           "pak0.pak: error: is not a pack file (it does not begin with PACK): the game server stops at "
           "start-up\n"
           "server.cfg:2: warning: the starting map \"q2dm9\" is not in the rotation of maplist.txt\n"
           "server.cfg:2: error: the game server cannot find maps/q2dm9.bsp\n"
        << "" << 2;
    QTest::newRow("a misspelt command")
        << "" << QStringList{"--chek"} << ""
        << "kezcfg: unknown command \"--chek\"; did you mean check? kezcfg --help "
           "lists them\n"
        << 2;
    QTest::newRow("a misspelt option") << "" << QStringList{"show", "--jsn", "."} << ""
                                       << "kezcfg: show: unknown option \"--jsn\"; did you mean --json?\n"
                                       << 2;
    QTest::newRow("a misspelt option of apply")
        << "" << QStringList{"apply", "--chek", ".", "-"} << ""
        << "kezcfg: apply: unknown option \"--chek\"; did you mean --check?\n"
        << 2;
    QTest::newRow("an option a command does not take")
        << "" << QStringList{"check", "--json"} << ""
        << "kezcfg: check: unknown option \"--json\"; check takes no options\n"
        << 2;
    QTest::newRow("a mask too large") << "" << QStringList{"decode", "weaponban", "99999999999"} << ""
                                      << "kezcfg: the mask 99999999999 is too large: a mask is at most "
                                         "2147483647\n"
                                      << 2;
    QTest::newRow("a folder that is not there")
        << "" << QStringList{"show", "nowhere"} << ""
        << "kezcfg: cannot go into the folder \"nowhere\": there is no such folder\n"
        << 2;
    QTest::newRow("no command") << "" << QStringList{} << ""
                                << "kezcfg: a command is needed; kezcfg --help lists them\n"
                                << 2;
    QTest::newRow("version") << "" << QStringList{"--version"} << "kezcfg 1.0.1\n"
                             << "" << 0;

    QTest::newRow("show a start-up save")
        << "start-up save" << QStringList{"show"}
        << "Server name:\nAdmin name:\nE-mail:\nWeb page:\nRcon password:\nStarting map:\n"
           "Max clients:         0\nFrag limit:          0\nTime limit:          0\nRevenge award:       0\n"
           "High fragger award:  0\nDay-night time:      0\nPublic game:         no\nMap list:            "
           "off\n"
           "Rotation:            (empty)\nDMFLAGS:             0\nWeapon Ban:          0\nKez Weapon Ban:    "
           "  0\n"
           "Kez Sweeper Ban:     0\nKez Grenade Ban:     0\nFeature Ban:         0\nKez Feature Ban:     0\n"
           "Kez Armor Ban:       0\nFrag Ban:            0\nMessage of the day:\n"
        << "" << 0;
    QTest::newRow("show a full save")
        << "full save" << QStringList{"show", "."}
        << "Server name:         Frag Night\nAdmin name:          Ann\nE-mail:              ann@example.org\n"
           "Web page:            http://example.org/frag\nRcon password:       letmein\n"
           "Starting map:        q2dm2\nMax clients:         16\nFrag limit:          30\nTime limit:        "
           "  20\n"
           "Revenge award:       1\nHigh fragger award:  2\nDay-night time:      3\nPublic game:         "
           "yes\n"
           "Map list:            on\nRotation:            q2dm1\n                     q2dm2\n"
           "DMFLAGS:             196624 = DF_INSTANT_ITEMS, DF_REVENGE_FACTOR, DF_DAYNIGHT\n"
           "Weapon Ban:          524290 = shotgun, rocket launcher\nKez Weapon Ban:      0\n"
           "Kez Sweeper Ban:     0\nKez Grenade Ban:     0\nFeature Ban:         0\nKez Feature Ban:     0\n"
           "Kez Armor Ban:       0\nFrag Ban:            0\nMessage of the day:  Welcome\n"
        << "" << 0;
    QTest::newRow("show without server.cfg") << "" << QStringList{"show"} << ""
                                             << "kezcfg: server.cfg file not found in \".\"\n"
                                             << 2;

    QTest::newRow("check a start-up save: the placeholders and maxclients 0")
        << "start-up save" << QStringList{"check"}
        << "server.cfg: warning: there is no \"map\" line, so the game server starts no level unless its "
           "command line names one (+map NAME)\n"
           "server.cfg:9: warning: the server name is still the placeholder\n"
           "server.cfg:10: warning: the admin name is still the placeholder\n"
           "server.cfg:11: warning: the e-mail address is still the placeholder\n"
           "server.cfg:12: warning: the web page is still the placeholder\n"
           "server.cfg:14: warning: maxclients 0 runs as 8: the game server takes 1 or less as 8 in "
           "deathmatch\n" +
               QString("note: the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                       ".pkz) in . or "
                       "../baseq2\n")
        << "" << 1;
    QTest::newRow("check a full save: only that the maps were not checked")
        << "full save" << QStringList{"check"}
        << QString("note: the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                   ".pkz) in . or "
                   "../baseq2\n")
        << "" << 0;
    QTest::newRow("check every fault once")
        << "faults" << QStringList{"check"}
        << "server.cfg:1: warning: \"set public 0\" comes before setmaster (line 2), which makes the server "
           "public again: this server is public\n"
           "server.cfg:2: warning: Save and apply replace this line: it sets \"setmaster\", which the form "
           "writes\n"
           "server.cfg:3: warning: the server name is still the placeholder\n"
           "server.cfg:4: warning: the admin name holds ;, which ends a console command\n"
           "server.cfg:5: warning: the e-mail address holds \", which ends the quoted value early\n"
           "server.cfg:6: warning: the web page is longer than 63 characters\n"
           "server.cfg:7: warning: the rcon password holds ;, which ends a console command\n"
           "server.cfg:8: warning: \"set maxclients\" is written in another letter case: the game's console "
           "takes it for a variable of its own and File / Open skips the line; Save and apply keep it\n"
           "server.cfg:9: warning: 300 is outside 0 to 255; File / Open sets the nearest of them\n"
           "server.cfg:10: warning: \"set fraglimit\" comes again (first at line 9): the later line counts\n"
           "server.cfg:11: warning: \"set revengeaward\" is set, but DMFLAGS lacks DF_REVENGE_FACTOR, which "
           "switches it on\n"
           "server.cfg:12: warning: \"set daynighttime\" is set, but DMFLAGS lacks DF_DAYNIGHT, which "
           "switches "
           "it on\n"
           "server.cfg:13: warning: the server holds settings as 32-bit floats, so the game reads the mask "
           "33554433 as 33554432 and sees these flags instead: BFG10K\n"
           "server.cfg:14: warning: the mask 65 has bits that no Kez Grenade Ban flag carries (bit 6); File "
           "/ "
           "Open drops them\n"
           "server.cfg:15: warning: the map list is on, but there is no maplist.txt\n"
           "server.cfg:16: warning: the starting map holds $, which the console expands to a variable's "
           "value\n"
           "server.cfg:17: warning: the line is 1103 characters long; the game's console cuts it at 1024\n"
           "server.cfg:18: warning: the game server does not run this line and the 1 more after the \"map\" "
           "line (line 16), which puts off what follows it; Save and apply write such lines before it\n"
           "server.cfg:18: error: the line holds no decimal integer: \"x\" is in the way, so File / Open "
           "stops "
           "here and does not read line 19\n" +
               QString("note: the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                       ".pkz) in . or "
                       "../baseq2\n")
        << "" << 2;
    QTest::newRow("check the map rotation")
        << "map faults" << QStringList{"check"}
        << "maplist.txt:2: warning: the map name holds a space, which ends the word\n"
           "server.cfg:2: warning: the starting map \"q2dm9\" is not in the rotation of maplist.txt\n" +
               QString("note: the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                       ".pkz) in . or "
                       "../baseq2\n")
        << "" << 1;
    QTest::newRow("check leaves maplist.txt alone while the map list is off")
        << "map list off" << QStringList{"check"}
        << "maplist.txt: note: not judged: the map list is off (server.cfg line 1), so the game server does "
           "not read it\n"
        << "" << 0;
    QTest::newRow("check without server.cfg")
        << "" << QStringList{"check"} << "server.cfg: error: server.cfg file not found\n"
        << "" << 2;
    for (const char *timeout : {"nan", "inf", "-1", "1e-300", "0", "601", "soon"})
        QTest::newRow(qPrintable(QStringLiteral("status --timeout %1").arg(timeout)))
            << "" << QStringList{"status", "--timeout", timeout, "127.0.0.1:28100"} << ""
            << QStringLiteral("kezcfg: --timeout takes seconds from 0.001 to 600, not \"%1\"\n").arg(timeout)
            << 2;
    // The command line: each value where it stands, each refusal in the command's words.
    QTest::newRow("an unknown option far from every known one")
        << "" << QStringList{"apply", "--x", ".", "-"} << ""
        << "kezcfg: apply: unknown option \"--x\"; its options are --check, --force, --wait\n"
        << 2;
    QTest::newRow("a command far from every known one")
        << "" << QStringList{"bogus"} << ""
        << "kezcfg: unknown command \"bogus\"; kezcfg --help lists them\n"
        << 2;
    QTest::newRow("--timeout without its value")
        << "" << QStringList{"status", "127.0.0.1:28100", "--timeout"} << ""
        << "kezcfg: --timeout needs a value\n"
        << 2;
    QTest::newRow("--wait past a day") << "" << QStringList{"apply", "--wait", "86401", ".", "-"} << ""
                                       << "kezcfg: --wait takes a number of seconds from 0 to 86400\n"
                                       << 2;
    QTest::newRow("the value of --against is never an option")
        << "" << QStringList{"status", "--against", "--json", "127.0.0.1:28100"} << ""
        << "kezcfg: cannot go into the folder \"--json\": there is no such folder\n"
        << 2;
    QTest::newRow("--rcon without --against")
        << "" << QStringList{"status", "--rcon", "127.0.0.1:28100"} << ""
        << "kezcfg: --rcon needs --against DIR, whose rcon_password it "
           "sends\n"
        << 2;
    QTest::newRow("reload without a server") << "" << QStringList{"reload", "--check", "."} << ""
                                             << "kezcfg: reload takes a folder and at least one server, "
                                                "HOST[:PORT]\n"
                                             << 2;
    QTest::newRow("restore of two folders") << "" << QStringList{"restore", "a", "b"} << ""
                                            << "kezcfg: restore takes an optional folder\n"
                                            << 2;
    QTest::newRow("check a FIFO named server.cfg")
        << "fifo" << QStringList{"check"}
        << "server.cfg: error: server.cfg cannot be read: it is not a regular file\n"
        << "" << 2;
}

void TestKezcfg::commands()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QFETCH(int, status);

    WorkingDirectory dir;
    prepare(setup);
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), arguments);
    QVERIFY(kezcfg.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(kezcfg.readAllStandardOutput()), output);
    QCOMPARE(QString::fromUtf8(kezcfg.readAllStandardError()), error);
    QCOMPARE(kezcfg.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kezcfg.exitCode(), status);
}

// Standard output and error in one pipe, as a playbook logs them: the form
// as far as Open read it, then why it stopped.
void TestKezcfg::aFailureFollowsWhatWasPrinted()
{
    WorkingDirectory dir;
    QFile file("server.cfg");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("set hostname \"Frag Night\"\nset maxclients lots\n");
    file.close();
    QProcess kezcfg;
    kezcfg.setProcessChannelMode(QProcess::MergedChannels);
    kezcfg.start(QStringLiteral(KEZCFG), {"show"});
    QVERIFY(kezcfg.waitForFinished(20000));
    const QByteArray output = kezcfg.readAll();
    QVERIFY2(output.startsWith("Server name:         Frag Night\n"), output.constData());
    QVERIFY2(output.contains("\nkezcfg: server.cfg line 2 in \".\" "), output.constData());
    QVERIFY2(output.endsWith("so File / Open stops there\n"), output.constData());
}

void TestKezcfg::jsonHoldsWhatShowPrints()
{
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), {"show", "--json"});
    QVERIFY(kezcfg.waitForFinished(20000));
    QCOMPARE(kezcfg.exitCode(), 0);
    QJsonParseError parsed;
    const QJsonObject json = QJsonDocument::fromJson(kezcfg.readAllStandardOutput(), &parsed).object();
    QCOMPARE(parsed.error, QJsonParseError::NoError);

    // The values that "show a full save" prints.
    QCOMPARE(json["serverName"].toString(), "Frag Night");
    QCOMPARE(json["adminName"].toString(), "Ann");
    QCOMPARE(json["email"].toString(), "ann@example.org");
    QCOMPARE(json["webpage"].toString(), "http://example.org/frag");
    QCOMPARE(json["rconPassword"].toString(), "letmein");
    QCOMPARE(json["startingMap"].toString(), "q2dm2");
    const QStringList numbers = {"maxClients",   "fragLimit",        "timeLimit",
                                 "revengeAward", "highFraggerAward", "dayNightTime"};
    const int values[] = {16, 30, 20, 1, 2, 3};
    for (int i = 0; i < numbers.size(); ++i)
        QCOMPARE(json[numbers[i]].toInt(-1), values[i]);
    QCOMPARE(json["publicGame"].toBool(false), true);
    QCOMPARE(json["mapList"].toBool(false), true);
    QCOMPARE(json["rotation"].toVariant().toStringList(), QStringList({"q2dm1", "q2dm2"}));
    QCOMPARE(json["complete"].toBool(false), true);
    const QJsonArray families = json["families"].toArray();
    QCOMPARE(families.size(), 9);
    QCOMPARE(families[0].toObject()["variable"].toString(), "dmflags");
    QCOMPARE(families[0].toObject()["flags"].toVariant().toStringList(),
             QStringList({"DF_INSTANT_ITEMS", "DF_REVENGE_FACTOR", "DF_DAYNIGHT"}));
    QCOMPARE(families[1].toObject()["caption"].toString(), "Weapon Ban");
    QCOMPARE(families[1].toObject()["mask"].toString(), "524290");
    QCOMPARE(families[1].toObject()["flags"].toVariant().toStringList(),
             QStringList({"shotgun", "rocket launcher"}));
}

void TestKezcfg::applyWritesOnlyWhatChanges()
{
    WorkingDirectory dir;
    QCOMPARE(apply(R"({"serverName": "Frag Night", "mapList": true, "rotation": ["q2dm1", "q2dm2"],
                       "families": [{"variable": "WEAPONBAN", "flags": ["Shotgun", "rocket launcher"]}]})"),
             "changed: server.cfg maplist.txt\n");
    QVERIFY(!QFile::exists("motd.txt")); // written only when given
    QCOMPARE(contents("maplist.txt"), "q2dm1\nq2dm2\n");
    QVERIFY(contents("server.cfg").contains("\nset weaponban 524290\n"));

    const QByteArray before = contents("server.cfg");
    const QDateTime written = QFileInfo("server.cfg").lastModified();
    QTest::qWait(20);
    QCOMPARE(apply(R"({"serverName": "Frag Night"})"), "unchanged\n");
    QCOMPARE(QFileInfo("server.cfg").lastModified(), written);

    // One key: one line of one file, and --check shows it without writing.
    QCOMPARE(apply(R"({"fragLimit": 25})", 0, {"--check"}),
             "changed: server.cfg\n--- server.cfg\n+++ server.cfg\n@@ -12,7 +12,7 @@\n"
             " set webpage \"<webpage address goes here>\" s\n set dmflags 0\n set maxclients 0\n"
             "-set fraglimit 0\n+set fraglimit 25\n set timelimit 0\n set revengeaward 0\n set "
             "highfraggeraward 0\n");
    QCOMPARE(contents("server.cfg"), before);
    QCOMPARE(apply(R"({"fragLimit": 25})"), "changed: server.cfg\n");
    QCOMPARE(contents("server.cfg"), QByteArray(before).replace("set fraglimit 0\n", "set fraglimit 25\n"));
    QCOMPARE(contents("maplist.txt"), "q2dm1\nq2dm2\n");

    // What show prints, applied, changes nothing.
    QProcess show;
    show.start(QStringLiteral(KEZCFG), {"show", "--json"});
    QVERIFY(show.waitForFinished(20000));
    QCOMPARE(apply(show.readAllStandardOutput()), "unchanged\n");

    // A rotation given whole still stops where File / Open stops.
    QVERIFY(QFile::remove("maplist.txt"));
    QCOMPARE(mkfifo("maplist.txt", 0600), 0);
    QVERIFY(apply(R"({"rotation": ["q2dm3"]})", 2)
                .contains("maplist.txt cannot be read: it is not a regular file"));
}

void TestKezcfg::applyRefusesAndTouchesNothing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    QTest::newRow("not JSON") << QByteArray("{\"serverName\": ") << "the input is not JSON";
    QTest::newRow("not an object") << QByteArray("[]") << "the input must be one JSON object";
    QTest::newRow("unknown key") << QByteArray(R"({"hostname": "x"})") << "unknown key \"hostname\"";
    QTest::newRow("near names") << QByteArray(R"({"servername": "x"})")
                                << "unknown key \"servername\"; did you mean serverName?;";
    QTest::newRow("near flag name")
        << QByteArray(R"({"families": [{"variable": "weaponban", "flags": ["rocketlauncher"]}]})")
        << "Weapon Ban has no flag \"rocketlauncher\"; did you mean rocket launcher?;";
    QTest::newRow("near family name")
        << QByteArray(R"({"families": [{"caption": "Weapon Bans", "mask": 1}]})")
        << "no family has the caption \"Weapon Bans\"; did you mean Weapon Ban?;";
    QTest::newRow("wrong type") << QByteArray(R"({"publicGame": "yes"})")
                                << "\"publicGame\" must be true or false, not text";
    QTest::newRow("console rule") << QByteArray(R"({"rconPassword": "a$b"})") << "\"rconPassword\" holds $";
    QTest::newRow("spinner out of range") << QByteArray(R"({"timeLimit": 256})") << "from 0 to 255";
    QTest::newRow("fraction") << QByteArray(R"({"timeLimit": 2.5})") << "from 0 to 255";
    QTest::newRow("flag not in its family")
        << QByteArray(R"({"families": [{"variable": "fragban", "flags": ["BFG10K"]}]})")
        << "Frag Ban has no flag \"BFG10K\"";
    QTest::newRow("unknown family") << QByteArray(R"({"families": [{"variable": "armorban", "mask": 1}]})")
                                    << "no family has the variable \"armorban\"";
    QTest::newRow("mask and flags disagree")
        << QByteArray(R"({"families": [{"variable": "weaponban", "mask": "2", "flags": ["BFG10K"]}]})")
        << "disagree";
    QTest::newRow("key twice") << QByteArray(R"({"serverName": "a", "email": "b", "serverName": "a"})")
                               << "the key \"serverName\" is given twice;";
    QTest::newRow("key twice, written another way")
        << QByteArray(R"({"motd": "a", "mot\u0064": "a"})") << "the key \"motd\" is given twice;";
    QTest::newRow("key twice in a family")
        << QByteArray(R"({"families": [{"variable": "dmflags", "mask": 0}, {"variable": "fragban", "mask": 1,
                        "variable": "weaponban"}]})")
        << "the key \"variable\" is given twice in \"families\" entry 2;";
    QTest::newRow("family twice")
        << QByteArray(
               R"({"families": [{"variable": "fragban", "mask": 0}, {"variable": "FRAGBAN", "mask": 1}]})")
        << "\"families\" has two entries for fragban;";
    QTest::newRow("family twice, by caption and by variable")
        << QByteArray(R"({"families": [{"caption": "Weapon Ban", "flags": []}, {"variable": "weaponban",
                        "mask": 1}]})")
        << "\"families\" has two entries for weaponban;";
    QTest::newRow("motd escape") << QByteArray(R"({"motd": "Hi\nthere \u001b[2J"})")
                                 << "\"motd\" line 2 holds the control character \\x1b; the message of the "
                                    "day takes tab and line feed only;";
    QTest::newRow("motd NUL") << QByteArray(R"({"motd": "a\u0000b"})")
                              << "line 1 holds the control character \\x00";
    QTest::newRow("motd carriage return") << QByteArray(R"({"motd": "a\r\nb"})") << "control character \\x0d";
    QTest::newRow("motd lone surrogate")
        << QByteArray(R"({"motd": "a\n\ud83d"})")
        << "\"motd\" line 2 holds a lone surrogate (\\ud83d), which is no character;";
    QTest::newRow("lone surrogate elsewhere")
        << QByteArray(R"({"rotation": ["q2dm1", "\udc00"]})")
        << "\"rotation\" entry 2 holds a lone surrogate (\\udc00), which is no character;";
    QTest::newRow("unknown key with an escape")
        << QByteArray(R"({"\u001b]0;owned\u0007": 1})") << "unknown key \"\\x1b]0;owned\\x07\";";
    QTest::newRow("rotation name with NUL and DEL")
        << QByteArray(R"({"rotation": ["q2\u0000dm\u007f1"]})") << "\"rotation: q2\\x00dm\\x7f1\" holds";
    QTest::newRow("flag name with C1")
        << QByteArray(R"({"families": [{"variable": "fragban", "flags": ["\u009b2J"]}]})")
        << "Frag Ban has no flag \"\\x9b2J\";";
}

void TestKezcfg::applyRefusesAndTouchesNothing()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    const QByteArray before = contents("server.cfg") + contents("maplist.txt") + contents("motd.txt");
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), {"apply", ".", "-"});
    kezcfg.write(json);
    kezcfg.closeWriteChannel();
    QVERIFY(kezcfg.waitForFinished(20000));
    QCOMPARE(kezcfg.exitCode(), 2);
    const QByteArray bytes = kezcfg.readAllStandardOutput() + kezcfg.readAllStandardError();
    QCOMPARE(controlByte(bytes), -1);
    QCOMPARE(bytes.count('\n'), 1);
    const QString output = QString::fromUtf8(bytes);
    QVERIFY2(output.startsWith("kezcfg: apply refused: ") && output.contains(message) &&
                 output.endsWith("; no file was changed\n"),
             qPrintable(output));
    QCOMPARE(contents("server.cfg") + contents("maplist.txt") + contents("motd.txt"), before);

    // Settings that File / Open could not read are never written over.
    put("server.cfg", "set maxclients many\n");
    QVERIFY(apply(R"({"maxClients": 8})", 2).contains("server.cfg line 1 holds no decimal integer"));
    QCOMPARE(contents("server.cfg"), "set maxclients many\n");
}

void TestKezcfg::applyTakesRotationsHoweverWritten_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // its first line, or a part of the refusal
    QTest::addColumn<QByteArray>("mapList");

    const QByteArray none("(missing)");
    QTest::newRow("spaced, brackets in other text")
        << QByteArray(" {\"motd\" :\"a ] } \\\" [ {\",\"mapList\":true,\n\"rotation\" : [ \"q2dm1\" "
                      ",\"sub/deep\"\t]} ")
        << 0 << "changed: server.cfg motd.txt maplist.txt" << QByteArray("q2dm1\nsub/deep\n");
    QTest::newRow("escaped") << QByteArray(R"({"mapList": true, "rotation": ["q2d\u006d1", "a\/b"]})") << 0
                             << "changed: server.cfg maplist.txt" << QByteArray("q2dm1\na/b\n");
    QTest::newRow("empty list") << QByteArray(R"({"mapList": true, "rotation": []})") << 0
                                << "changed: server.cfg maplist.txt" << QByteArray("");
    QTest::newRow("given twice") << QByteArray(R"({"mapList": true, "rotation": ["a"], "rotation": ["b"]})")
                                 << 2 << "the key \"rotation\" is given twice; no file was changed" << none;
    QTest::newRow("not ASCII") << QByteArray(R"({"rotation": ["q2dm1", "k\u00e9z"]})") << 2
                               << "\"rotation: k\u00e9z\" holds \u00e9, which is not printable ASCII" << none;
    QTest::newRow("semicolon") << QByteArray(R"({"rotation": ["q2dm1", "a;b"]})") << 2
                               << "\"rotation: a;b\" holds ;" << none;
    QTest::newRow("comment") << QByteArray(R"({"rotation": ["//x"]})") << 2 << "begins with //" << none;
    QTest::newRow("too long") << "{\"rotation\": [\"" + QByteArray(128, 'm') + "\"]}" << 2
                              << "is longer than 127 characters" << none;
    QTest::newRow("empty name") << QByteArray(R"({"rotation": [""]})") << 2 << "holds an empty map name"
                                << none;
    QTest::newRow("a number") << QByteArray(R"({"rotation": ["a", 5]})") << 2
                              << "\"rotation\" must be text, not a number" << none;
    QTest::newRow("not a list") << QByteArray(R"({"rotation": "a"})") << 2
                                << "\"rotation\" must be a list, not text" << none;
    QTest::newRow("no comma") << QByteArray(R"({"rotation": ["a" "b"]})") << 2 << "the input is not JSON"
                              << none;
    QTest::newRow("garbage after") << QByteArray(R"({"rotation": ["a"]} x)") << 2 << "the input is not JSON"
                                   << none;
}

// The names of a rotation are read from the input's bytes where they are
// plain, and as JSON where they are not: either way with the same outcome.
void TestKezcfg::applyTakesRotationsHoweverWritten()
{
    QFETCH(QByteArray, json);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QByteArray, mapList);
    WorkingDirectory dir;
    const QString printed = apply(json, status);
    QVERIFY2(status == 0 ? printed.startsWith(output + '\n') : printed.contains(output), qPrintable(printed));
    QCOMPARE(contents("maplist.txt"), mapList);
}

void TestKezcfg::applyChangesARotationAnywhere()
{
    WorkingDirectory dir;
    const QList<std::pair<QByteArray, QByteArray>> steps{
        {R"(["q2dm1", "q2dm2", "q2dm3"])", "q2dm1\nq2dm2\nq2dm3\n"},
        {R"(["q2dm1", "q2dm2", "q2dm8"])", "q2dm1\nq2dm2\nq2dm8\n"}, // the last
        {R"(["q2dm1", "q2dm2"])", "q2dm1\nq2dm2\n"},                 // one fewer
        {R"(["q2dm1", "q2dm2", "q2dm2"])", "q2dm1\nq2dm2\nq2dm2\n"}, // one more
        {R"(["q2dm", "q2dm2", "q2dm2"])", "q2dm\nq2dm2\nq2dm2\n"},   // a prefix of the first
        {R"(["q2dm10", "q2dm2", "q2dm2"])", "q2dm10\nq2dm2\nq2dm2\n"},
    };
    QCOMPARE(apply(R"({"mapList": true})"), "changed: server.cfg maplist.txt\n");
    for (const auto &[rotation, lines] : steps) {
        QCOMPARE(apply("{\"rotation\": " + rotation + "}"), "changed: maplist.txt\n");
        QCOMPARE(contents("maplist.txt"), lines);
        QCOMPARE(apply("{\"rotation\": " + rotation + "}"), "unchanged\n");
    }
}

void TestKezcfg::concurrentAppliesDoNotMix()
{
    WorkingDirectory dir;
    // Each apply writes a server name and a rotation that belong together.
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const char *name : {"one", "two", "three", "four"}) {
        auto kezcfg = std::make_unique<QProcess>();
        kezcfg->start(QStringLiteral(KEZCFG), {"apply", ".", "-"});
        QList<QByteArray> maps;
        for (int i = 0; i < 20000; ++i)
            maps.append('"' + QByteArray(name) + QByteArray::number(i) + '"');
        kezcfg->write("{\"serverName\": \"" + QByteArray(name) + "\", \"mapList\": true, \"rotation\": [" +
                      maps.join(',') + "]}");
        kezcfg->closeWriteChannel();
        runs.push_back(std::move(kezcfg));
    }
    for (auto &kezcfg : runs) {
        QVERIFY(kezcfg->waitForFinished(30000));
        QCOMPARE(kezcfg->exitCode(), 0);
    }
    const QByteArray config = contents("server.cfg");
    const QByteArray name = config.mid(config.indexOf("set hostname \"") + 14).split('"').first();
    QVERIFY(contents("maplist.txt").startsWith(name + "0\n" + name + "1\n"));
    QVERIFY(contents("maplist.txt").endsWith(name + "19999\n"));
    QVERIFY(!QFile::exists(".kezcfg-apply.lock"));
}

void TestKezcfg::applyWaitsWhileTheFolderIsHeld()
{
    WorkingDirectory dir;
    const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(folder >= 0 && ::flock(folder, LOCK_EX) == 0);
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), {"apply", ".", "-"});
    kezcfg.write(R"({"serverName": "held"})");
    kezcfg.closeWriteChannel();
    QVERIFY(!kezcfg.waitForFinished(500));
    QVERIFY(!QFile::exists("server.cfg"));
    ::close(folder);
    QVERIFY(kezcfg.waitForFinished(20000));
    QCOMPARE(kezcfg.readAllStandardOutput(), "changed: server.cfg\n");
    QVERIFY(kezcfg.readAllStandardError().startsWith("kezcfg: waiting for process "));

    // A bounded wait ends with the holder named, and nothing written.
    const int holder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(::flock(holder, LOCK_EX) == 0);
    const QString output = apply(R"({"serverName": "late"})", 2, {"--wait", "0.2"});
    ::close(holder);
    QVERIFY2(output.contains("apply refused: process ") && output.contains(" still holds the folder ") &&
                 output.contains(" after 0.2 s; nothing was written"),
             qPrintable(output));
    QVERIFY(contents("server.cfg").contains("set hostname \"held\""));
    QVERIFY(apply("{}", 2, {"--wait", "nan"}).contains("--wait takes a number of seconds from 0 to 86400"));
}

void TestKezcfg::applyKeepsTheLinesTheFormDoesNotOwn()
{
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    const QByteArray saved = contents("server.cfg");
    put("server.cfg", QByteArray(saved).replace("set maplist 1\n", "set maplist 1\nset password secretjoin\n"
                                                                   "SET fraglimit 99\nset FRAGLIMIT 99\n"
                                                                   "sv addip 10.0.0.1\n"));

    QProcess check;
    check.start(QStringLiteral(KEZCFG), {"check", "."});
    QVERIFY(check.waitForFinished(20000));
    const QByteArray checked = check.readAllStandardOutput();
    QVERIFY2(checked.contains("server.cfg:31: warning: \"set fraglimit\" is written in another letter case: "
                              "File / Open skips the line, the game's console does not; Save and apply "
                              "replace it\n"),
             "check names the line that apply replaces");
    QVERIFY2(checked.contains("server.cfg:32: warning: \"set fraglimit\" is written in another letter case: "
                              "the game's console takes it for a variable of its own and File / Open skips "
                              "the line; Save and apply keep it\n"),
             "check names the line that sets a variable of its own");

    QCOMPARE(apply("{}"), "changed: server.cfg\n");
    const QByteArray kept = QByteArray(saved).replace(
        "set maplist 1\n", "set maplist 1\nset password secretjoin\nset FRAGLIMIT 99\nsv addip 10.0.0.1\n");
    QCOMPARE(contents("server.cfg"), kept);
    QProcess show;
    show.start(QStringLiteral(KEZCFG), {"show", "--json"});
    QVERIFY(show.waitForFinished(20000));
    QCOMPARE(apply(show.readAllStandardOutput()), "unchanged\n");
    QCOMPARE(apply(R"({"fragLimit": 5})"), "changed: server.cfg\n");
    QCOMPARE(contents("server.cfg"), QByteArray(kept).replace("set fraglimit 30\n", "set fraglimit 5\n"));
}

namespace {

// kezcfg restore in the working directory: exit status, then what it printed.
QString restore(const QStringList &options = {})
{
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), QStringList{"restore"} + options + QStringList{"."});
    kezcfg.waitForFinished(20000);
    return QString::number(kezcfg.exitCode()) + ' ' +
           QString::fromUtf8(kezcfg.readAllStandardOutput() + kezcfg.readAllStandardError());
}

} // namespace

void TestKezcfg::applyKeepsWhatItReplacesAndRestorePutsItBack()
{
    WorkingDirectory dir;
    QCOMPARE(restore(), "2 kezcfg: there is no previous generation (server.cfg~, motd.txt~, maplist.txt~) "
                        "to restore in \".\"\n");
    const QByteArray handWritten = "set password joinme\nset maxclients 4\nmap q2dm2\n";
    put("server.cfg", handWritten);
    put("motd.txt", "Welcome\n");
    put("maplist.txt", "q2dm9\n"); // not written with the map list off, yet part of the set
    QCOMPARE(::chmod("server.cfg", 0640), 0);

    QCOMPARE(apply(R"({"serverName": "First"})"), "changed: server.cfg\n");
    QCOMPARE(contents("server.cfg~"), handWritten);
    QCOMPARE(contents("motd.txt~"), "Welcome\n");
    QCOMPARE(contents("maplist.txt~"), "q2dm9\n");
    QVERIFY(!QFile::exists("~"));
    struct stat info = {};
    QCOMPARE(::stat("server.cfg~", &info), 0);
    QCOMPARE(info.st_mode & 07777, 0640u);
    const QByteArray first = contents("server.cfg");
    QVERIFY(first.contains("set password joinme\n") && first.contains("set hostname \"First\"\n"));

    // Nothing changes, nothing is written; the next change keeps the set before it.
    QCOMPARE(apply(R"({"serverName": "First"})"), "unchanged\n");
    QCOMPARE(contents("server.cfg~"), handWritten);
    QCOMPARE(apply(R"({"serverName": "Second", "motd": "Hello"})"), "changed: server.cfg motd.txt\n");
    QCOMPARE(contents("server.cfg~"), first);
    QCOMPARE(contents("motd.txt~"), "Welcome\n");
    const QByteArray second = contents("server.cfg") + contents("motd.txt");

    const QString checked = restore({"--check"});
    QVERIFY2(checked.startsWith("0 changed: server.cfg motd.txt\n--- server.cfg\n+++ server.cfg\n") &&
                 checked.contains("\n-set hostname \"Second\"\n+set hostname \"First\"\n"),
             qPrintable(checked));
    QCOMPARE(contents("server.cfg") + contents("motd.txt"), second);

    QCOMPARE(restore(), "0 changed: server.cfg motd.txt\n");
    QCOMPARE(contents("server.cfg") + contents("motd.txt"), first + "Welcome\n");
    QCOMPARE(contents("server.cfg~") + contents("motd.txt~"), second);
    QCOMPARE(restore(), "0 changed: server.cfg motd.txt\n");
    QCOMPARE(contents("server.cfg") + contents("motd.txt"), second);
    QCOMPARE(contents("server.cfg~") + contents("motd.txt~"), first + "Welcome\n");

    // A file that is gone comes back from its copy, and as it was not there
    // the new generation holds no copy of it.
    QVERIFY(QFile::remove("motd.txt"));
    QCOMPARE(restore(), "0 changed: server.cfg motd.txt\n");
    QCOMPARE(contents("motd.txt"), "Welcome\n");
    QVERIFY(!QFile::exists("motd.txt~"));
    QCOMPARE(QDir(".").entryList({".*kezcfg*"}, QDir::Hidden | QDir::Files | QDir::System), QStringList());
}

void TestKezcfg::applyWritesNothingWhenOneFileCannotBe_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("a FIFO") << "fifo motd"
                            << "could not write motd.txt: it leads to a FIFO";
    QTest::newRow("a folder") << "folder maplist"
                              << "could not write maplist.txt: it leads to a folder";
    QTest::newRow("another user's link to nothing")
        << "dangling link"
        << "could not write motd.txt: \"motd.txt\" is a link of user nobody (65534) to "
           "\"nowhere/motd.txt\", which does not exist";
    QTest::newRow("another user's link to root's file")
        << "planted link"
        << "could not write motd.txt: \"motd.txt\" is a link of user nobody (65534) to "
           "\"secret\", which belongs to user root (0)";
    QTest::newRow("another user's link to root's file, read")
        << "planted server.cfg"
        << "server.cfg cannot be opened: \"server.cfg\" is a link of user nobody (65534) to \"secret\", "
           "which "
           "belongs to user root (0)";
    QTest::newRow("a second name of root's file in another user's folder")
        << "hard link"
        << "could not write motd.txt: it has 2 names and belongs to user root (0), while its folder belongs "
           "to "
           "user nobody (65534)";
}

void TestKezcfg::applyWritesNothingWhenOneFileCannotBe()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    if ((setup.contains("link") || setup.contains("planted")) && ::geteuid() != 0)
        QSKIP("a link of another user is made by root");
    if (setup == "fifo motd") {
        QVERIFY(QFile::remove("motd.txt"));
        QCOMPARE(::mkfifo("motd.txt", 0600), 0);
    } else if (setup == "folder maplist") {
        QVERIFY(QFile::remove("maplist.txt") && QDir().mkdir("maplist.txt"));
    } else {
        const char *planted = setup == "planted server.cfg" ? "server.cfg" : "motd.txt";
        QVERIFY(QFile::remove(planted));
        put("secret", "root's own\n");
        QCOMPARE(::chmod("secret", 0600), 0);
        if (setup == "hard link") {
            QCOMPARE(::link("secret", planted), 0);
        } else {
            QCOMPARE(::symlink(setup == "dangling link" ? "nowhere/motd.txt" : "secret", planted), 0);
            QCOMPARE(::lchown(planted, 65534, 65534), 0);
        }
        QCOMPARE(::chown(".", 65534, 65534), 0);
    }
    const QByteArray before = contents("server.cfg") + contents("maplist.txt") + contents("secret");
    const QString output = apply(R"({"serverName": "New", "motd": "Welcome", "rotation": ["q2dm3"]})", 2);
    QVERIFY2(output.contains(message) && output.contains("; no file was changed"), qPrintable(output));
    QCOMPARE(contents("server.cfg") + contents("maplist.txt") + contents("secret"), before);
    QCOMPARE(QDir(".").entryList({".*kezcfg*"}, QDir::Hidden | QDir::Files | QDir::System), QStringList());
}

void TestKezcfg::applyKeepsAnUnreadableRotation()
{
    if (::geteuid() == 0)
        QSKIP("root reads every file; the case is tried as the file's owner");
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    QCOMPARE(::chmod("maplist.txt", 0200), 0);
    const QString output = apply(R"({"serverName": "Renamed"})", 2);
    QVERIFY2(
        output.contains("maplist.txt cannot be read (Permission denied), so its rotation cannot be kept"),
        qPrintable(output));
    QCOMPARE(::chmod("maplist.txt", 0600), 0);
    QCOMPARE(contents("maplist.txt"), "q2dm1\nq2dm2\n");
}

void TestKezcfg::aForeignLockFileIsReportedNotWaitedFor()
{
    WorkingDirectory dir;
    // The lock file as QLockFile writes it: process, program, host.
    put(".kezcfg-apply.lock", "4242\nkezcfg\nfaraway-host\n");
    const auto held = [] {
        FolderLock lock(FolderLock::Method::LockFile);
        QStringList said;
        QElapsedTimer timer;
        timer.start();
        const std::optional<QString> refusal =
            lock.lock(std::chrono::milliseconds(300), [&](const QString &text) { said.append(text); });
        return std::tuple(refusal.value_or(QString()), said, timer.elapsed());
    };
    auto [refusal, said, elapsed] = held();
    QVERIFY2(
        refusal.contains("process 4242 of host faraway-host still holds the lock file .kezcfg-apply.lock"),
        qPrintable(refusal));
    QCOMPARE(said.size(), 1);
    QVERIFY(said.first().startsWith("waiting for process 4242 of host faraway-host"));
    QVERIFY(elapsed >= 300 && elapsed < 5000);

    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    QFile lockFile(".kezcfg-apply.lock");
    QVERIFY(lockFile.open(QIODevice::ReadWrite) &&
            lockFile.setFileTime(old, QFileDevice::FileModificationTime));
    lockFile.close();
    std::tie(refusal, said, elapsed) = held();
    QVERIFY2(refusal.contains("the lock file .kezcfg-apply.lock") &&
                 refusal.contains("is stale: process 4242 of "
                                  "host faraway-host left it 60 minutes ago"),
             qPrintable(refusal));
    QVERIFY(said.isEmpty());
    QVERIFY(QFile::exists(".kezcfg-apply.lock")); // never removed by itself
}

void TestKezcfg::applyRefusesMapsTheServerCannotFind_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("lines"); // check's, on standard error; empty: apply goes on

    QTest::newRow("a missing starting map")
        << QByteArray(R"({"startingMap": "q2dm9"})")
        << "server.cfg:29: error: the game server cannot find maps/q2dm9.bsp\n";
    QTest::newRow("a missing rotation map, read from the input's bytes")
        << QByteArray(R"({"mapList": true, "rotation": ["q2dm1", "q2dm9"]})")
        << "maplist.txt:2: error: the game server cannot find maps/q2dm9.bsp\n";
    QTest::newRow("a missing rotation map, read as JSON")
        << QByteArray(R"({"mapList": true, "rotation": ["q2dm\u0039", "q2dm1"]})")
        << "maplist.txt:1: error: the game server cannot find maps/q2dm9.bsp\n";
    QTest::newRow("a missing map already in maplist.txt, the map list switched on")
        << QByteArray(R"({"mapList": true})")
        << "maplist.txt:2: error: the game server cannot find maps/q2dm8.bsp\n";
    QTest::newRow("with the map list off the rotation is not read")
        << QByteArray(R"({"rotation": ["q2dm9"]})") << "";
    QTest::newRow("maps that are there")
        << QByteArray(R"({"startingMap": "q2dm1", "mapList": true, "rotation": ["q2dm1"]})") << "";
}

// A configuration that names a map the game data beside it lacks stops the
// server: apply says so with check's lines and writes nothing, unless forced.
void TestKezcfg::applyRefusesMapsTheServerCannotFind()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, lines);
    WorkingDirectory dir;
    QVERIFY(QDir().mkdir("maps"));
    QCOMPARE(QProcess::execute(QStringLiteral(KEZ_ENGINE_DIR "/make-map"), {"maps/q2dm1.bsp"}), 0);
    QVERIFY(SaveRun().run());
    put("maplist.txt", "q2dm1\nq2dm8\n");
    const QByteArray before = contents("server.cfg") + contents("maplist.txt") + contents("motd.txt");

    if (lines.isEmpty()) {
        const QString output = apply(json);
        QVERIFY2(output == "unchanged\n" || output == "changed: server.cfg maplist.txt\n",
                 qPrintable(output));
        return;
    }
    for (const QStringList &options : {QStringList{}, QStringList{"--check"}}) {
        QProcess kezcfg;
        kezcfg.start(QStringLiteral(KEZCFG), QStringList{"apply"} + options + QStringList{".", "-"});
        kezcfg.write(json);
        kezcfg.closeWriteChannel();
        QVERIFY(kezcfg.waitForFinished(20000));
        QCOMPARE(kezcfg.exitCode(), 2);
        QCOMPARE(kezcfg.readAllStandardOutput(), "");
        QCOMPARE(QString::fromUtf8(kezcfg.readAllStandardError()),
                 lines + "kezcfg: apply refused: the game server cannot load the maps above (--force writes "
                         "them anyway); no file was changed\n");
        QCOMPARE(contents("server.cfg") + contents("maplist.txt") + contents("motd.txt"), before);
    }
    const QString forced = apply(json, 0, {"--force"});
    QVERIFY2(
        forced.startsWith("changed: ") && forced.contains(lines) &&
            forced.contains("kezcfg: --force: written although the game server cannot load the maps above"),
        qPrintable(forced));
    QVERIFY(contents("server.cfg") + contents("maplist.txt") != before);
}

void TestKezcfg::messageOfTheDayGoesThroughShowAndApply()
{
    WorkingDirectory dir;
    QCOMPARE(apply(R"({"motd": "Welcome to Frag Night\nBe nice"})"), "changed: server.cfg motd.txt\n");
    const QByteArray motd = contents("motd.txt");

    QProcess show;
    show.start(QStringLiteral(KEZCFG), {"show"});
    QVERIFY(show.waitForFinished(20000));
    QVERIFY(show.readAllStandardOutput().endsWith("Message of the day:  Welcome to Frag Night\n"
                                                  "                     Be nice\n"));
    show.start(QStringLiteral(KEZCFG), {"show", "--json"});
    QVERIFY(show.waitForFinished(20000));
    const QByteArray json = show.readAllStandardOutput();
    QCOMPARE(QJsonDocument::fromJson(json).object()["motd"].toString(), "Welcome to Frag Night\nBe nice");

    // Another message, then the one show printed: the operator's own comes back.
    QCOMPARE(apply(R"({"motd": "other"})"), "changed: motd.txt\n");
    QCOMPARE(apply(json), "changed: motd.txt\n");
    QCOMPARE(contents("motd.txt"), motd);
    QCOMPARE(apply(json), "unchanged\n");
}

void TestKezcfg::familyEntries()
{
    WorkingDirectory dir;
    // By tab caption, under either key and in any letter case.
    QCOMPARE(apply(R"({"families": [{"variable": "Weapon Ban", "flags": ["BFG10K"]},
                                     {"caption": "kez armor BAN", "mask": 2}]})"),
             "changed: server.cfg\n");
    QVERIFY(contents("server.cfg").contains("\nset weaponban 33554432\n"));
    QVERIFY(contents("server.cfg").contains("\nset kezarmorban 2\n"));

    const QByteArray before = contents("server.cfg");
    const QList<std::pair<QByteArray, QString>> refused = {
        {R"({"families": [{"variable": "weaponban"}]})",
         "the Weapon Ban (weaponban) entry gives neither \"flags\" nor \"mask\""},
        {R"({"families": [{"caption": "Weapon Ban"}]})", "the Weapon Ban (weaponban) entry gives neither"},
        {R"({"families": [{"variable": "weaponban", "caption": "Frag Ban", "mask": 0}]})",
         "name two families"},
        {R"({"families": [{"flags": []}]})", "a families entry names no family"},
    };
    for (const auto &[json, message] : refused) {
        const QString output = apply(json, 2);
        QVERIFY2(output.contains(message), qPrintable(output));
        QCOMPARE(contents("server.cfg"), before);
    }
}

void TestKezcfg::unansweredServerIsSaidOnce()
{
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), {"status", "--timeout", "0.3", "127.0.0.1:28431"});
    QVERIFY(kezcfg.waitForFinished(20000));
    QCOMPARE(kezcfg.exitCode(), 2);
    QCOMPARE(kezcfg.readAllStandardOutput(), "");
    const QByteArray error = kezcfg.readAllStandardError();
    QVERIFY2(error.startsWith("kezcfg: 127.0.0.1:28431: ") && error.count('\n') == 1, error.constData());
}

void TestKezcfg::applyBoundsItsInput_data()
{
    QTest::addColumn<QString>("command"); // run by sh in the working directory
    QTest::addColumn<QString>("message"); // after "kezcfg: apply refused: the input "
    QTest::addColumn<long>("peakKiB");    // the most the run may take

    const QString tooLarge = " holds more than 256 MiB, the most File / Open takes for a rotation";
    const long bound = 256 * 1024;
    QTest::newRow("endless standard input") << KEZCFG " apply . - < /dev/zero"
                                            << "standard input" + tooLarge << 2 * bound;
    QTest::newRow("endless pipe") << "yes ' ' 2>/dev/null | " KEZCFG " apply . -"
                                  << "standard input" + tooLarge << 2 * bound;
    QTest::newRow("a device") << KEZCFG " apply . /dev/zero"
                              << "\"/dev/zero\"" + tooLarge << 2 * bound;
    // A file larger than the bound is refused before any of it is read.
    QTest::newRow("a huge file") << "truncate -s 268435457 huge.json && " KEZCFG " apply . huge.json"
                                 << "\"huge.json\"" + tooLarge << 64 * 1024L;
    // Only a plain rotation is read past the JSON reader's bound.
    QTest::newRow("a huge message of the day")
        << "{ printf '{\"motd\": \"'; head -c 33554432 /dev/zero | tr '\\0' a; printf '\"}'; } > motd.json "
           "&& " KEZCFG " apply . motd.json"
        << "\"motd.json\" holds more than 32 MiB besides a rotation of plain map names (printable ASCII "
           "without "
           "escapes), the most that is read as JSON"
        << 128 * 1024L;
}

void TestKezcfg::applyBoundsItsInput()
{
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(long, peakKiB);
    WorkingDirectory dir;
    QVERIFY(fullForm().run());
    const QByteArray before = contents("server.cfg") + contents("maplist.txt") + contents("motd.txt");
    const ShellRun run = runShell(command.toUtf8());
    QCOMPARE(run.status, 2);
    QCOMPARE(QString::fromUtf8(run.error),
             "kezcfg: apply refused: the input " + message + "; no file was changed\n");
    if (TestSupport::peakMemoryIsMeaningful)
        QVERIFY2(run.peakKiB <= peakKiB, qPrintable(QString::number(run.peakKiB)));
    QCOMPARE(contents("server.cfg") + contents("maplist.txt") + contents("motd.txt"), before);
    QVERIFY(!QFile::exists(".kezcfg-apply.lock"));
}

void TestKezcfg::noControlByteReachesTheTerminal_data()
{
    QTest::addColumn<QByteArray>("serverCfg");
    QTest::addColumn<QByteArray>("mapList");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("shown"); // a part of the output, as printed

    const QByteArray escaping = "set hostname \"\x1b]0;owned\x07\" s\nset maplist 1\nmap q2\x1b[2Jdm1\n";
    const QByteArray rotation = "q2dm1\nq2\xc2\x9b"
                                "2Jdm\x7f\n";
    QTest::newRow("show") << escaping << rotation << QStringList{"show"}
                          << "Server name:         \\x1b]0;owned\\x07";
    QTest::newRow("show, the rotation")
        << escaping << rotation << QStringList{"show"} << "                     q2\\x9b2Jdm\\x7f\n";
    QTest::newRow("show --json") << escaping << rotation << QStringList{"show", "--json"}
                                 << "\"q2\\u009b2Jdm\\u007f\"";
    QTest::newRow("check") << escaping << rotation << QStringList{"check"}
                           << "the starting map \"q2\\x1b[2Jdm1\" is not in the rotation";
    QTest::newRow("maps") << escaping << rotation << QStringList{"maps"} << "\\x1b]0;owned\\x07  maps/";
    QTest::newRow("maps --json") << escaping << rotation << QStringList{"maps", "--json"}
                                 << "\"name\": \"\\u001b]0;owned\\u0007\"";
    QTest::newRow("an argument") << escaping << rotation << QStringList{"decode", "\x1b[2J", "1"}
                                 << "no family is called \"\\x1b[2J\"";
    QTest::newRow("a NUL does not end a message") << QByteArray("set maxclients 4\x00x\n", 19) << QByteArray()
                                                  << QStringList{"show"} << "File / Open stops there";
}

// The bytes of every stream, whatever the files hold; what JSON holds reads
// back the same.
void TestKezcfg::noControlByteReachesTheTerminal()
{
    QFETCH(QByteArray, serverCfg);
    QFETCH(QByteArray, mapList);
    QFETCH(QStringList, arguments);
    QFETCH(QString, shown);
    WorkingDirectory dir;
    put("server.cfg", serverCfg);
    put("maplist.txt", mapList);
    QVERIFY(QDir().mkdir("maps"));
    put("maps/\x1b]0;owned\x07.bsp", "");
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), arguments);
    QVERIFY(kezcfg.waitForFinished(20000));
    const QByteArray output = kezcfg.readAllStandardOutput();
    const QByteArray error = kezcfg.readAllStandardError();
    QCOMPARE(controlByte(output), -1);
    QCOMPARE(controlByte(error), -1);
    QVERIFY2(QString::fromUtf8(output + error).contains(shown), (output + error).constData());
    if (arguments == QStringList{"maps", "--json"})
        QCOMPARE(QJsonDocument::fromJson(output)["maps"][0]["name"].toString(), "\x1b]0;owned\x07");
    if (arguments == QStringList{"show", "--json"}) {
        const QJsonObject json = QJsonDocument::fromJson(output).object();
        QVERIFY(json["serverName"].toString().startsWith("\x1b]0;owned\x07"));
        QCOMPARE(json["rotation"].toArray().last().toString(), QString::fromUtf8("q2\xc2\x9b"
                                                                                 "2Jdm\x7f"));
    }
}

void TestKezcfg::readAtMostStopsPastTheBound()
{
    QByteArray bytes("0123456789");
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(readAtMost(buffer, 10), QByteArray("0123456789"));
    QVERIFY(buffer.seek(0));
    QCOMPARE(readAtMost(buffer, 9), std::nullopt);
    QByteArray none;
    QBuffer empty(&none);
    QVERIFY(empty.open(QIODevice::ReadOnly));
    QCOMPARE(readAtMost(empty, 0), QByteArray());
}

QTEST_GUILESS_MAIN(TestKezcfg)
#include "tst_kezcfg.moc"

void TestKezcfg::checkEndsOnAStoredTextThatRunsItself()
{
    // A variable whose text runs it hundreds of times: followed to the
    // bottom, the check would run for hours.
    WorkingDirectory dir;
    QStringList runs;
    for (int i = 0; i < 600; ++i)
        runs.append(QStringLiteral("vstr a"));
    QFile file(QStringLiteral("server.cfg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("set b \"set fraglimit 9\"\nset a \"vstr b;" + runs.join(u';').toLatin1() +
               "\"\nvstr a\nmap q2dm1\n");
    file.close();
    QElapsedTimer clock;
    clock.start();
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), {"check", "."});
    QVERIFY(kezcfg.waitForFinished(20000));
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    const QByteArray output = kezcfg.readAllStandardOutput();
    QVERIFY2(output.contains(
                 "server.cfg:3: warning: when the console runs this line, it sets fraglimit (vstr a runs"),
             output.constData());
}
