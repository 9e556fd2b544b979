// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationReader.h"

#include "FakeForm.h"
#include "SaveRun.h"
#include "WorkingDirectory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::WorkingDirectory;
using Outcome = ConfigurationReadResult::Outcome;

namespace {

QByteArray lf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

void put(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The fake's state as "name=value" entries, so that a table row can name
// just the values it is about.
QString valueOf(FakeForm &form, const QString &name)
{
    const std::pair<const char *, TextControl> texts[] = {
        {"serverName", TextControl::ServerName}, {"adminName", TextControl::AdminName},
        {"email", TextControl::Email},           {"webpage", TextControl::Webpage},
        {"rcon", TextControl::RconPassword},     {"startingMap", TextControl::StartingMap},
    };
    for (auto [key, control] : texts) {
        if (name == key)
            return form.text(control);
    }
    const std::pair<const char *, SpinnerControl> spinners[] = {
        {"maxClients", SpinnerControl::MaxClients},        {"fragLimit", SpinnerControl::FragLimit},
        {"timeLimit", SpinnerControl::TimeLimit},          {"revengeAward", SpinnerControl::RevengeAward},
        {"highFragger", SpinnerControl::HighFraggerAward}, {"dayNight", SpinnerControl::DayNightTime},
    };
    for (auto [key, spinner] : spinners) {
        if (name == key)
            return QString::number(form.number(spinner));
    }
    if (name == "flags")
        return form.flagCalls.join('|');
    if (name == "public")
        return QString::number(form.publicGame);
    if (name == "mapListBox")
        return QString::number(form.mapListTicked);
    if (name == "maps")
        return form.maps.join('|');
    if (name == "add")
        return QString::number(form.addEnabled);
    if (name == "remove")
        return QString::number(form.removeEnabled);
    if (name == "status")
        return form.statusTexts.join('|');
    return "<unknown " + name + ">";
}

// Collects the diagnostic lines written while it lives.
class DiagnosticLines
{
public:
    DiagnosticLines()
    {
        lines().clear();
        previous = qInstallMessageHandler(&DiagnosticLines::collect);
    }
    ~DiagnosticLines() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        lines().append(message);
    }
    QtMessageHandler previous;
};

} // namespace

class TestConfigReader : public QObject
{
    Q_OBJECT

private slots:
    void serverCfgThatCannotBeOpened_data();
    void serverCfgThatCannotBeOpened();
    void emptyServerCfg();
    void applyingLines_data();
    void applyingLines();
    void mapListFolderIsPassedOver();
    void maskFieldThatHoldsNoNumberEndsTheCommand();
    void filesThatAreNotReadWhole_data();
    void filesThatAreNotReadWhole();
    void repeatedMapListLinesReadTheListOnce();
    void diagnosticsQuoteLinesSafely();
    void stopsSayWhatIsInTheWay_data();
    void stopsSayWhatIsInTheWay();
    void messageOfTheDay_data();
    void messageOfTheDay();
    void savedMessageOpensAsTheSameText();
};

void TestConfigReader::serverCfgThatCannotBeOpened_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("missing") << false;
    QTest::newRow("a folder") << true;
}

void TestConfigReader::serverCfgThatCannotBeOpened()
{
    QFETCH(bool, folder);
    WorkingDirectory dir;
    if (folder)
        QVERIFY(QDir().mkdir("server.cfg"));
    put("maplist.txt", "q2dm1\n");
    FakeForm form;
    form.maps = {"old"};

    QCOMPARE(readConfiguration(form).outcome, Outcome::ServerCfgNotFound);
    QCOMPARE(form.statusTexts, QStringList{"server.cfg file not found"});
    QCOMPARE(form.maps, QStringList{"old"});
}

void TestConfigReader::emptyServerCfg()
{
    WorkingDirectory dir;
    put("server.cfg", "");
    FakeForm form;

    QCOMPARE(readConfiguration(form).outcome, Outcome::Done);
    QCOMPARE(form.statusTexts, QStringList({"Opening files", "Reading server.cfg", "Done Reading"}));
}

void TestConfigReader::applyingLines_data()
{
    QTest::addColumn<QByteArray>("serverCfg");
    QTest::addColumn<QByteArray>("mapListFile"); // a null array: no maplist.txt
    QTest::addColumn<int>("stopLine");           // 0: read to the end
    QTest::addColumn<QStringList>("expected");   // "name=value"
    QTest::addColumn<QStringList>("diagnostics");

    const QByteArray none;
    const QString reading = "status=Opening files|Reading server.cfg";
    const QString done = reading + "|Done Reading";

    // Keys and numbers.
    QTest::newRow("set public 0 unticks")
        << lf({"set public 1", "set public 0"}) << none << 0 << QStringList{"public=0"} << QStringList();
    QTest::newRow("two spaces before a number end the command")
        << lf({"set fraglimit 3", "set maxclients  8", "set timelimit 4"}) << none << 2
        << QStringList{"fragLimit=3", "maxClients=0", "timeLimit=0", reading}
        << QStringList{"server.cfg line 2 \"set maxclients  8\""};
    QTest::newRow("above the spinner's bound gives the bound")
        << lf({"set maxclients 300", "map m"}) << none << 0
        << QStringList{"maxClients=255", "startingMap=m", done}
        << QStringList{"line 1 \"set maxclients 300\" is outside 0 to 255"};
    QTest::newRow("a negative spinner value gives 0")
        << lf({"set fraglimit 2", "set fraglimit -5"}) << none << 0 << QStringList{"fragLimit=0"}
        << QStringList{"line 2"};
    QTest::newRow("the same key twice: the later value")
        << lf({"set maxclients 1", "set hostname \"a\"", "set maxclients 2", "set hostname \"b\""}) << none
        << 0 << QStringList{"maxClients=2", "serverName=b"} << QStringList();

    // Texts: positions decide, placeholders are skipped.
    QTest::newRow("identity lines") << lf({"set hostname \"My \"Server\"\"", "set ServerAdmin \"Bob\" s",
                                           "set email \"a@b\" s", "set webpage \"w\" s",
                                           "set rcon_password  pw "})
                                    << none << 0
                                    << QStringList{"serverName=My \"Server\"", "adminName=Bob", "email=a@b",
                                                   "webpage=w", "rcon= pw "}
                                    << QStringList();
    QTest::newRow("a placeholder line leaves the field")
        << lf({"set hostname \"X\"", "set hostname \"<YOUR SERVER NAME HERE>\"", "set ServerAdmin \"Y\" s",
               "set ServerAdmin \"<server admin name here>\" s"})
        << none << 0 << QStringList{"serverName=X", "adminName=Y"} << QStringList();
    QTest::newRow("two quotes clear the host name") << lf({"set hostname \"X\"", "set hostname \"\""}) << none
                                                    << 0 << QStringList{"serverName="} << QStringList();
    QTest::newRow("a short line ends the command")
        << lf({"set hostname \"A\"", "map", "set fraglimit 5"}) << none << 2
        << QStringList{"serverName=A", "startingMap=", "fragLimit=0"} << QStringList{"line 2 \"map\""};
    QTest::newRow("texts beginning with map touch only their field")
        << lf({"set hostname \"map x\"", "set rcon_password map", "set email \"map\" s"}) << none << 0
        << QStringList{"serverName=map x", "rcon=map", "email=map", "startingMap="} << QStringList();
    QTest::newRow("CR LF, lone CR and a last line without an end")
        << QByteArray("set public 1\r\nmap x\rset maxclients 5") << none << 0
        << QStringList{"public=1", "startingMap=x", "maxClients=5"} << QStringList();
    QTest::newRow("comments, blank and unknown lines are skipped")
        << lf({"// set public 1", "", "  ", "set deathmatch 1", "setmaster a b c d", "set public 1"}) << none
        << 0 << QStringList{"public=1", done} << QStringList();

    // Masks.
    QTest::newRow("a mask sets its flags in catalogue order")
        << lf({"set weaponban 524290"}) << none << 0
        << QStringList{"flags=weaponban:shotgun|weaponban:rocket launcher"} << QStringList();
    QTest::newRow("unknown bits are dropped") << lf({"set weaponban 67108866", "set fragban 1"}) << none << 0
                                              << QStringList{"flags=weaponban:shotgun"} << QStringList();
    QTest::newRow("minus one sets every flag")
        << lf({"set fragban -1"}) << none << 0
        << QStringList{"flags=fragban:frags for blaster|fragban:frags for telefrags|fragban:frags for "
                       "kamikazes|fragban:frags for grappling hook"}
        << QStringList();
    QTest::newRow("the sign bit alone sets nothing")
        << lf({"set dmflags -2147483648"}) << none << 0 << QStringList{"flags="} << QStringList();
    QTest::newRow("each mask line of a family calls its set-method again")
        << lf({"set kezarmorban 2", "set kezarmorban 3"}) << none << 0
        << QStringList{"flags=kezarmorban:Slug Armor|kezarmorban:Organic Armor|kezarmorban:Slug Armor"}
        << QStringList();
    QTest::newRow("every family by its own key")
        << lf({"set dmflags 1", "set kezweaponban 1", "set kezsweeperban 1", "set kezgrenadeban 1",
               "set featureban 1", "set kezfeatureban 1"})
        << none << 0
        << QStringList{"flags=dmflags:DF_NO_HEALTH|kezweaponban:airfist|kezsweeperban:superblastersweeper|"
                       "kezgrenadeban:plasmaclustergrenade|featureban:bandolier|kezfeatureban:cloak"}
        << QStringList();
    QTest::newRow("a mask that is no number ends the command")
        << lf({"set dmflags 1", "set weaponban 0x10", "map m"}) << none << 2
        << QStringList{"flags=dmflags:DF_NO_HEALTH", "startingMap="}
        << QStringList{"line 2 \"set weaponban 0x10\""};

    // The map list.
    const QString mapRead = "|Opening maplist.txt|Done reading maplist.txt";
    QTest::newRow("set maplist 1 reads the list")
        << lf({"set maplist 1"}) << QByteArray("a\n\nb\n") << 0
        << QStringList{"maps=a||b", "mapListBox=1", "add=1", "remove=1", reading + mapRead + "|Done Reading"}
        << QStringList();
    QTest::newRow("set maplist 0 unticks and still reads, disabling nothing")
        << lf({"set maplist 1", "set maplist 0"}) << QByteArray("a\n") << 0
        << QStringList{"maps=a", "mapListBox=0", "add=1", "remove=1"} << QStringList();
    QTest::newRow("another value leaves the box but reads the list")
        << lf({"set maplist 2"}) << QByteArray("a\r\nb\rc") << 0
        << QStringList{"maps=a|b|c", "mapListBox=0", "add=0", "remove=1"} << QStringList();
    QTest::newRow("an empty maplist.txt leaves the remove button")
        << lf({"set maplist 1"}) << QByteArray("") << 0 << QStringList{"maps=", "remove=0"} << QStringList();
    QTest::newRow("two map-list lines leave one copy")
        << lf({"set maplist 1", "set maplist 1"}) << QByteArray("a\nb\n") << 0
        << QStringList{"maps=a|b", reading + mapRead + mapRead + "|Done Reading"} << QStringList();
    QTest::newRow("no maplist.txt: the list is emptied and the starting map still read")
        << lf({"set maplist 0", "map q2dm1"}) << none << 0
        << QStringList{"maps=", "startingMap=q2dm1", reading + "|Opening maplist.txt|Done Reading"}
        << QStringList();
    QTest::newRow("a bad line after the map list keeps the list")
        << lf({"set maplist 1", "set maxclients x"}) << QByteArray("a\n") << 2
        << QStringList{"maps=a", reading + mapRead} << QStringList{"line 2"};
    QTest::newRow("a bad line before the map list: maplist.txt is not read")
        << lf({"set maxclients x", "set maplist 1"}) << QByteArray("a\n") << 1
        << QStringList{"maps=old", "mapListBox=0", reading} << QStringList{"line 1"};
}

void TestConfigReader::applyingLines()
{
    QFETCH(QByteArray, serverCfg);
    QFETCH(QByteArray, mapListFile);
    QFETCH(int, stopLine);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, diagnostics);

    WorkingDirectory dir;
    put("server.cfg", serverCfg);
    if (!mapListFile.isNull())
        put("maplist.txt", mapListFile);
    FakeForm form;
    form.maps = {"old"};

    QStringList written;
    ConfigurationReadResult result{Outcome::Done};
    {
        DiagnosticLines stderrLines;
        result = readConfiguration(form);
        written = DiagnosticLines::lines();
    }

    QCOMPARE(result.outcome, stopLine ? Outcome::StoppedAtLine : Outcome::Done);
    QCOMPARE(result.lineNumber, stopLine);
    for (const QString &entry : expected) {
        const QString name = entry.section('=', 0, 0);
        QCOMPARE(name + '=' + valueOf(form, name), entry);
    }
    QCOMPARE(written.size(), diagnostics.size());
    for (qsizetype i = 0; i < written.size(); ++i)
        QVERIFY2(written[i].contains(diagnostics[i]), qPrintable(written[i]));
}

void TestConfigReader::mapListFolderIsPassedOver()
{
    WorkingDirectory dir;
    put("server.cfg", lf({"set maplist 1", "map q2dm1"}));
    QVERIFY(QDir().mkdir("maplist.txt"));
    FakeForm form;
    form.maps = {"old"};

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("maplist.txt cannot be read: it is a folder"));
    QCOMPARE(readConfiguration(form).outcome, Outcome::Done);
    QVERIFY(form.maps.isEmpty());
    QVERIFY(!form.removeEnabled);
    QVERIFY(form.mapListTicked);
    QCOMPARE(form.text(TextControl::StartingMap), "q2dm1");
    QCOMPARE(form.statusTexts.last(), "Done Reading");
}

void TestConfigReader::maskFieldThatHoldsNoNumberEndsTheCommand()
{
    WorkingDirectory dir;
    put("server.cfg", lf({"set weaponban 3", "map m"}));
    FakeForm form;
    form.unreadableFamily = 1; // Weapon Ban

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("line 1 \"set weaponban 3\".*Open stopped"));
    const ConfigurationReadResult result = readConfiguration(form);
    QCOMPARE(result.outcome, Outcome::StoppedAtLine);
    QCOMPARE(result.lineNumber, 1);
    // The first flag's move found the field unreadable; the second was never tried.
    QCOMPARE(form.flagCalls, QStringList{"weaponban:super blaster"});
    QCOMPARE(form.text(TextControl::StartingMap), QString());
    QCOMPARE(form.statusTexts.last(), "Reading server.cfg");
}

void TestConfigReader::filesThatAreNotReadWhole_data()
{
    QTest::addColumn<QString>("hazard");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("diagnostic");

    const QString untouched = "startingMap=";
    QTest::newRow("a FIFO named server.cfg")
        << "fifo server.cfg" << Outcome::ReadFailed
        << QStringList{"status=Opening files|Reading server.cfg", untouched}
        << "server.cfg cannot be read: it is not a regular file; nothing was changed.";
    QTest::newRow("server.cfg a link to /dev/zero")
        << "/dev/zero server.cfg" << Outcome::ReadFailed << QStringList{untouched} << "not a regular file";
    QTest::newRow("server.cfg one byte over 1 MiB")
        << "1048577 server.cfg" << Outcome::ReadFailed << QStringList{untouched} << "larger than 1 MiB";
    QTest::newRow("server.cfg of exactly 1 MiB is read")
        << "1048576 server.cfg" << Outcome::Done << QStringList{"startingMap=q2dm1"} << QString();
    QTest::newRow("a FIFO named maplist.txt ends Open at its line")
        << "fifo maplist.txt" << Outcome::ReadFailed
        << QStringList{"status=Opening files|Reading server.cfg|Opening maplist.txt", "maps=", untouched}
        << "maplist.txt cannot be read: it is not a regular file; Open stopped at server.cfg line 1.";
    QTest::newRow("maplist.txt a link to /dev/urandom")
        << "/dev/urandom maplist.txt" << Outcome::ReadFailed << QStringList{"maps=", untouched}
        << "not a regular file";
    QTest::newRow("a missing maplist.txt cannot be opened")
        << "none maplist.txt" << Outcome::Done << QStringList{"maps=", "startingMap=q2dm1"}
        << "maplist.txt cannot be opened: No such file or directory; the map list was left empty.";
}

void TestConfigReader::filesThatAreNotReadWhole()
{
    QFETCH(QString, hazard);
    QFETCH(Outcome, outcome);
    QFETCH(QStringList, expected);
    QFETCH(QString, diagnostic);

    WorkingDirectory dir;
    const QString what = hazard.section(' ', 0, 0);
    const QString name = hazard.section(' ', 1);
    put("server.cfg", "set maplist 1\nmap q2dm1\n");
    put("maplist.txt", "q2dm1\n");
    QFile::remove(name);
    if (what == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0644), 0);
    } else if (what.startsWith('/')) {
        QVERIFY(QFile::link(what, name));
    } else if (what != "none") {
        // Comment lines up to the size, the map line last.
        const QByteArray tail = "map q2dm1\n";
        QByteArray bytes(what.toInt() - tail.size(), '/');
        for (qsizetype i = 99; i < bytes.size(); i += 100)
            bytes[i] = '\n';
        bytes.back() = '\n';
        put(name, bytes + tail);
    }
    FakeForm form;
    form.maps = {"old"};

    QStringList written;
    ConfigurationReadResult result{Outcome::Done};
    {
        DiagnosticLines stderrLines;
        ::alarm(20); // a hang ends the test instead of the run
        result = readConfiguration(form);
        ::alarm(0);
        written = DiagnosticLines::lines();
    }

    QCOMPARE(result.outcome, outcome);
    for (const QString &entry : expected) {
        const QString key = entry.section('=', 0, 0);
        QCOMPARE(key + '=' + valueOf(form, key), entry);
    }
    QCOMPARE(written.size(), diagnostic.isEmpty() ? 0 : 1);
    if (!diagnostic.isEmpty())
        QVERIFY2(written[0].contains(diagnostic), qPrintable(written[0]));
}

void TestConfigReader::repeatedMapListLinesReadTheListOnce()
{
    WorkingDirectory dir;
    QStringList maps;
    for (int i = 0; i < 10000; ++i)
        maps.append(QString("map%1").arg(i));
    put("maplist.txt", lf(maps));
    put("server.cfg", QByteArray("set maplist 1\n").repeated(20000) + "map q2dm1\n");
    FakeForm form;

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(readConfiguration(form).outcome, Outcome::Done);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString("took %1 ms").arg(timer.elapsed())));
    QCOMPARE(form.maps, maps);
    QCOMPARE(form.statusTexts.count("Done reading maplist.txt"), 20000);
    QCOMPARE(form.text(TextControl::StartingMap), "q2dm1");
}

void TestConfigReader::diagnosticsQuoteLinesSafely()
{
    WorkingDirectory dir;
    put("server.cfg", "set maxclients \x1b]0;owned\x07" + QByteArray(100000, 'x') + "\n");
    FakeForm form;

    QStringList written;
    {
        DiagnosticLines stderrLines;
        readConfiguration(form);
        written = DiagnosticLines::lines();
    }
    QCOMPARE(written.size(), 1);
    QVERIFY2(written[0].size() < 400, qPrintable(written[0].left(400)));
    QVERIFY(written[0].contains("line 1 \"set maxclients \\x1b]0;owned\\x07xxx"));
    QVERIFY(written[0].contains("100025 characters, the first 200 shown"));
    QVERIFY(!written[0].contains(QChar(0x1b)) && !written[0].contains(QChar(0x07)));

    // A character of two UTF-16 units across the cut is left out whole.
    put("server.cfg",
        "set maxclients " + QByteArray(184, 'x') + "\xf0\x9f\x98\x80" + QByteArray(10, 'y') + "\n");
    {
        DiagnosticLines stderrLines;
        readConfiguration(form);
        written = DiagnosticLines::lines();
    }
    QCOMPARE(written.size(), 1);
    QVERIFY2(written[0].contains(QByteArray(184, 'x') + "\" (211 characters, the first 199 shown)"),
             qPrintable(written[0]));
}

void TestConfigReader::stopsSayWhatIsInTheWay_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a trailing space")
        << QByteArray("set fraglimit 25 ")
        << "holds no decimal integer: the space after \"25\" is in the way (write it as: set fraglimit 25)";
    QTest::newRow("a trailing comment")
        << QByteArray("set fraglimit 25 // note")
        << "holds no decimal integer: the comment \"// note\" is in the way (write it as: set fraglimit 25)";
    QTest::newRow("quotes")
        << QByteArray("set fraglimit \"25\"")
        << "holds no decimal integer: the quotes around 25 are in the way (write it as: set "
           "fraglimit 25)";
    QTest::newRow("a tab before a mask") << QByteArray("set weaponban \t524290")
                                         << "holds no decimal integer: the tab before \"524290\" is in the "
                                            "way (write it as: set weaponban 524290)";
    QTest::newRow("a word") << QByteArray("set maxclients many")
                            << "holds no decimal integer: \"many\" is in the way";
    QTest::newRow("a unit after the number")
        << QByteArray("set timelimit 20min")
        << "holds no decimal integer: \"min\" after \"20\" is in the way";
    QTest::newRow("too large") << QByteArray("set weaponban 99999999999")
                               << "holds 99999999999, which is larger than 2147483647, the largest a line of "
                                  "server.cfg takes";
    QTest::newRow("too small")
        << QByteArray("set dmflags -2147483649")
        << "holds -2147483649, which is smaller than -2147483648, the smallest a line of "
           "server.cfg takes";
}

void TestConfigReader::stopsSayWhatIsInTheWay()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, reason);
    WorkingDirectory dir;
    put("server.cfg", "set maxclients 8\n" + line + "\n");
    FakeForm form;
    QStringList written;
    ConfigurationReadResult result{Outcome::Done};
    {
        DiagnosticLines stderrLines;
        result = readConfiguration(form);
        written = DiagnosticLines::lines();
    }
    QCOMPARE(result.outcome, Outcome::StoppedAtLine);
    QCOMPARE(result.lineNumber, 2);
    QCOMPARE(result.reason, reason);
    // The line itself, then why, once.
    QCOMPARE(written.size(), 1);
    QVERIFY2(written[0].contains("server.cfg line 2 \"" +
                                 QString::fromUtf8(line).replace('"', "\\\"").replace("\t", "\\x09") + "\" " +
                                 reason + "; Open stopped at this line."),
             qPrintable(written[0]));
}

void TestConfigReader::messageOfTheDay_data()
{
    QTest::addColumn<QByteArray>("motd"); // null: no motd.txt
    QTest::addColumn<QString>("text");    // null: the text area is left alone

    const QByteArray banner = startUpMotd;
    QTest::newRow("the message before the banner")
        << "Welcome to Frag Night\nBe nice\n" + banner << "Welcome to Frag Night\nBe nice";
    QTest::newRow("the banner alone: no message") << banner << "";
    QTest::newRow("an empty line inside the message") << "a\n\nb\n" + banner << "a\n\nb";
    QTest::newRow("no banner: the file whole") << QByteArray("Hello\r\nthere\r\n") << "Hello\nthere";
    QTest::newRow("a banner changed by hand is message")
        << QByteArray(banner).replace("Official", "Unofficial")
        << QString::fromUtf8(QByteArray(banner).replace("Official", "Unofficial")).chopped(1);
    QTest::newRow("no motd.txt") << QByteArray() << QString();
}

void TestConfigReader::messageOfTheDay()
{
    QFETCH(QByteArray, motd);
    QFETCH(QString, text);
    WorkingDirectory dir;
    put("server.cfg", "set maxclients 8\n");
    if (!motd.isNull())
        put("motd.txt", motd);
    FakeForm form;
    QCOMPARE(readConfiguration(form).outcome, Outcome::Done);
    QCOMPARE(form.messageOfTheDay.has_value(), !text.isNull());
    if (!text.isNull())
        QCOMPARE(*form.messageOfTheDay, text);
}

// What Save writes, Open gives back, and saving that again writes the same
// file. Save writes "Welcome" and "Welcome" with a line feed after it alike,
// so Open cannot tell them apart and gives the first.
void TestConfigReader::savedMessageOpensAsTheSameText()
{
    const QStringList texts = {"Welcome to Frag Night\nBe nice",
                               "",
                               "\n",
                               "a\n\n",
                               "a\n\n\nb",
                               "  spaced  ",
                               "=====================================================",
                               "Welcome\n"};
    for (const QString &text : texts) {
        WorkingDirectory dir;
        SaveRun save;
        save.settings.messageOfTheDay = text;
        QVERIFY(save.run());
        QFile written("motd.txt");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray first = written.readAll();

        FakeForm form;
        QCOMPARE(readConfiguration(form).outcome, Outcome::Done);
        QVERIFY(form.messageOfTheDay);
        QCOMPARE(*form.messageOfTheDay, text == "Welcome\n" ? QString("Welcome") : text);
        save.settings.messageOfTheDay = *form.messageOfTheDay;
        QVERIFY(save.run());
        written.close();
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), first);
    }
}

QTEST_GUILESS_MAIN(TestConfigReader)
#include "tst_configreader.moc"
