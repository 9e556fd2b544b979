// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg reload and status --rcon against real game servers on loopback
// ports of their own, each started on a server.cfg that kezcfg apply wrote,
// and ended here.
#include "GameServerTesting.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace GameServerTesting;

namespace {

const QByteArray startingJson = R"({"serverName": "Frag Night", "rconPassword": "letmein", "maxClients": 8,
                                    "fragLimit": 20, "startingMap": "q2dm1"})";

// A fake server on a loopback port: every datagram it gets, a status query
// or a console command, is answered copies times, the command with printed.
class FloodingServer
{
public:
    FloodingServer(int port, int copies, const QByteArray &printed)
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        m_thread = std::thread([this, copies, printed] {
            QElapsedTimer clock;
            clock.start();
            char asked[2048];
            while (!m_stop && clock.elapsed() < 20000) {
                pollfd waiting{m_fd, POLLIN, 0};
                if (::poll(&waiting, 1, 50) != 1)
                    continue;
                sockaddr_in from = {};
                socklen_t fromSize = sizeof from;
                const ssize_t size =
                    ::recvfrom(m_fd, asked, sizeof asked, 0, reinterpret_cast<sockaddr *>(&from), &fromSize);
                const bool status = size > 4 && QByteArray(asked + 4, size - 4).startsWith("status");
                const QByteArray answer =
                    "\xff\xff\xff\xffprint\n" +
                    (status ? QByteArray("\\hostname\\Flood\\mapname\\q2dm1\n") : printed);
                for (int i = 0; i < copies && !m_stop; ++i)
                    ::sendto(m_fd, answer.constData(), size_t(answer.size()), 0,
                             reinterpret_cast<sockaddr *>(&from), fromSize);
            }
        });
    }
    ~FloodingServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    bool ok() const { return m_ok; }

private:
    int m_fd;
    bool m_ok;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

} // namespace

class TestReload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reloadRunsTheChangedFileInTheSameProcess();
    void refusalsSendNothingAndEndWithTwo();
    void aFloodKeepsToTheTimeoutAndIsQuotedShort();
    void whatTheServerRunsIsWhatIsCompared();
    void checkNamesWhatTheConsoleRuns();
    void aNewPasswordIsDelivered();
};

void TestReload::initTestCase()
{
    if (!QFileInfo(engine + "/run-server").isExecutable())
        QSKIP("the game server is not at hand");
}

void TestReload::reloadRunsTheChangedFileInTheSameProcess()
{
    const GameTree tree(startingJson);
    const GameServer server(tree, 28210);
    QVERIFY(server.answers());
    const qint64 process = server.processId();
    QVERIFY(process > 0);

    // A ban mask is no public info: plain status cannot see it change.
    QCOMPARE(tree.apply(R"({"families": [{"variable": "weaponban", "flags": ["BFG10K"]}]})"), 0);
    QCOMPARE(kezcfg({"status", "--against", tree.modFolder(), server.address()}).status, 0);
    Run run = kezcfg({"status", "--rcon", "--against", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.output.contains("  differs: weaponban: the server has \"0\", server.cfg line 21 has "
                                 "\"33554432\" (only the server: none; only server.cfg: BFG10K)\n"),
             qPrintable(run.output));

    QCOMPARE(tree.apply(R"({"serverName": "Renamed", "fragLimit": 40})"), 0);
    run = kezcfg({"reload", tree.modFolder(), server.address()});
    QVERIFY2(run.status == 0, qPrintable(run.output));
    QVERIFY(run.output.contains(server.address() + ": runs server.cfg again\n"));
    QVERIFY(run.output.contains(server.address() + ": Renamed, map q2dm1, 0 of 8 players\n"));
    QVERIFY(!run.output.contains("differs"));

    // The server announces and prints the new values, as the same process.
    run = kezcfg({"status", server.address()});
    QVERIFY(run.output.contains("  hostname: Renamed\n"));
    QVERIFY(run.output.contains("  fraglimit: 40\n"));
    QCOMPARE(server.console("letmein", "weaponban"), QByteArray("\xff\xff\xff\xffprint\n\"weaponban\" is "
                                                                "\"33554432\"\n"));
    QCOMPARE(server.console("letmein", "fraglimit"),
             QByteArray("\xff\xff\xff\xffprint\n\"fraglimit\" is \"40\"\n"));
    QCOMPARE(server.processId(), process);

    // --check sends no reload: a change stays a difference.
    QCOMPARE(tree.apply(R"({"timeLimit": 15})"), 0);
    run = kezcfg({"reload", "--check", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 1);
    QVERIFY(
        run.output.contains("  differs: timelimit: the server has \"0\", server.cfg line 17 has \"15\"\n"));
    QVERIFY(!run.output.contains("runs server.cfg again"));
    QCOMPARE(kezcfg({"status", "--rcon", "--against", tree.modFolder(), server.address()}).status, 1);
}

void TestReload::refusalsSendNothingAndEndWithTwo()
{
    const GameTree tree(startingJson);
    const GameServer server(tree, 28211);
    QVERIFY(server.answers());
    const auto hostName = [&] {
        return server.console("letmein", "hostname");
    };
    const QByteArray running("\xff\xff\xff\xffprint\n\"hostname\" is \"Frag Night\"\n");

    // Another password in the file than the server runs with.
    const GameTree other(R"({"serverName": "Other", "rconPassword": "guess", "startingMap": "q2dm1"})");
    Run run = kezcfg({"reload", other.modFolder(), server.address()});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.output.contains(server.address() +
                                 ": it refused the rcon password (\"Bad rcon_password.\"): "
                                 "the running server has another password than server.cfg"),
             qPrintable(run.output));
    QCOMPARE(kezcfg({"status", "--rcon", "--against", other.modFolder(), server.address()}).status, 2);

    // The password would cross the network in clear.
    run = kezcfg({"reload", tree.modFolder(), "192.0.2.1:27910"});
    QCOMPARE(run.status, 2);
    QVERIFY(run.output.contains("kezcfg: 192.0.2.1:27910 is not a loopback address: the rcon password would "
                                "cross the network in clear"));
    QCOMPARE(kezcfg({"status", "--rcon", "--against", tree.modFolder(), "192.0.2.1"}).status, 2);
    run = kezcfg({"reload", tree.modFolder(), "[::ffff:192.0.2.1]:28213"});
    QVERIFY(run.status == 2 && run.output.contains("is not a loopback address"));
    run = kezcfg({"reload", "--timeout", "0.5", tree.modFolder(), "[::ffff:127.0.0.1]:28213"});
    QVERIFY2(run.status == 2 && !run.output.contains("loopback"), qPrintable(run.output));

    // No password, and a rotation with a map the server cannot load: check's
    // lines, and the server goes on with its level as it was.
    QCOMPARE(tree.apply(R"({"serverName": "Broken", "rconPassword": ""})"), 0);
    run = kezcfg({"reload", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 2);
    QVERIFY(run.output.contains("server.cfg sets no rcon_password"));
    // apply itself refuses such a rotation; forced, it reaches the files.
    QCOMPARE(tree.apply(R"({"rconPassword": "letmein", "mapList": true, "rotation": ["q2dm1", "q2dm9"]})",
                        {"--force"}),
             0);
    run = kezcfg({"reload", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.output.contains("maplist.txt:2: error: the game server cannot find maps/q2dm9.bsp\n"),
             qPrintable(run.output));
    QVERIFY(run.output.contains("so nothing was sent"));
    QCOMPARE(hostName(), running);
    QVERIFY(kezcfg({"status", server.address()})
                .output.contains(server.address() + ": Frag Night, map q2dm1, 0 of 8 players\n"));

    // A port that takes the command and never answers.
    QCOMPARE(tree.apply(R"({"rotation": ["q2dm1"]})"), 0);
    const Socket silent(28212, true);
    QVERIFY(silent.ok());
    run = kezcfg({"reload", "--timeout", "1", tree.modFolder(), "127.0.0.1:28212"});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.output.contains(
                 "kezcfg: 127.0.0.1:28212: its console did not answer \"exec server.cfg\" within 1 s\n"),
             qPrintable(run.output));
    QCOMPARE(hostName(), running);
}

void TestReload::aFloodKeepsToTheTimeoutAndIsQuotedShort()
{
    const GameTree tree(startingJson);
    {
        // 5,000 answers to every datagram: the whole call keeps to --timeout.
        const FloodingServer flood(28215, 5000, "execing server.cfg.\n");
        QVERIFY(flood.ok());
        QElapsedTimer clock;
        clock.start();
        const Run run = kezcfg({"reload", "--timeout", "2", tree.modFolder(), "127.0.0.1:28215"});
        const qint64 elapsed = clock.elapsed();
        qInfo("reload --timeout 2 against the flood: %lld ms", elapsed);
        QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
        // It answered, though too much to be heard in time: no "no answer".
        QVERIFY2(run.status == 2 && !run.output.contains("no answer"), qPrintable(run.output));
        QVERIFY(run.output.contains("kezcfg: 127.0.0.1:28215: its console answered"));
    }
    {
        // A 60,000-byte answer is quoted cut, with what was left out.
        const FloodingServer longAnswer(28216, 1, QByteArray(60000, 'A') + '\n');
        QVERIFY(longAnswer.ok());
        const Run run = kezcfg({"reload", "--timeout", "2", tree.modFolder(), "127.0.0.1:28216"});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.output.contains(": its console did not run server.cfg; it printed \"AAAA"),
                 qPrintable(run.output.left(2000)));
        QVERIFY(run.output.contains("A... (59700 bytes more left out)\"\n"));
        QVERIFY(run.output.size() < 2000);
    }
}

void TestReload::whatTheServerRunsIsWhatIsCompared()
{
    // A start-up form: maxclients 0, which the server runs as 8; and a join
    // password on a line of the operator's own.
    const GameTree tree(R"({"rconPassword": "letmein", "startingMap": "q2dm1",
                            "families": [{"variable": "weaponban", "flags": ["BFG10K"]}]})");
    QFile config(tree.modFolder() + "/server.cfg");
    QVERIFY(config.open(QIODevice::ReadOnly));
    const QByteArray written = config.readAll();
    config.close();
    QVERIFY(written.contains("set maxclients 0\n") && written.endsWith("map q2dm1\n"));
    // Before the map line, where apply keeps it: the server defers what
    // follows "map" until the level has loaded.
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(QByteArray(written).replace("map q2dm1\n", "set password secret\nmap q2dm1\n"));
    config.close();
    const GameServer server(tree, 28217);
    QVERIFY(server.answers());
    Run run = kezcfg({"status", "--rcon", "--against", tree.modFolder(), server.address()});
    QVERIFY2(run.status == 0, qPrintable(run.output));
    QVERIFY(run.output.contains("  maxclients: 8\n") && run.output.contains("  needpass: 1\n"));

    // shotgun + BFG10K: the game reads the server's 33554432 and the file's
    // 33554434 alike.
    QCOMPARE(tree.apply(R"({"families": [{"variable": "weaponban", "mask": 33554434}]})", {"--force"}), 0);
    run = kezcfg({"status", "--rcon", "--against", tree.modFolder(), server.address()});
    QVERIFY2(run.status == 0, qPrintable(run.output));

    // The password line goes; the server keeps its password until restarted.
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(written);
    config.close();
    run = kezcfg({"reload", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 1);
    QVERIFY2(
        run.output.contains("  differs: needpass: the server has \"1\", but server.cfg sets no join password "
                            "(set password): a server started on it has \"0\"\n"),
        qPrintable(run.output));

    // Kept in a file that server.cfg runs, the password is no difference.
    QFile secret(tree.modFolder() + "/secret.cfg");
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("set password secret\n");
    secret.close();
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(QByteArray(written).replace("map q2dm1\n", "exec secret.cfg\nmap q2dm1\n"));
    config.close();
    run = kezcfg({"status", "--rcon", "--against", tree.modFolder(), server.address()});
    QVERIFY2(run.status == 0 && !run.output.contains("needpass: the server has"), qPrintable(run.output));
}

void TestReload::checkNamesWhatTheConsoleRuns()
{
    const GameTree tree(R"({"rconPassword": "letmein", "startingMap": "q2dm1", "fragLimit": 25,
                            "timeLimit": 20})");
    QFile config(tree.modFolder() + "/server.cfg");
    QVERIFY(config.open(QIODevice::ReadOnly));
    QByteArray text = config.readAll();
    config.close();
    QVERIFY(text.endsWith("\nmap q2dm1\n") && text.count('\n') == 30);
    text.replace("map q2dm1\n",
                 "exec extra.cfg\nset x1 \"set timelimit 44\"\nvstr x1\ntoggle dmflags\nmap q2dm1\n");
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write(text);
    config.close();
    QFile extra(tree.modFolder() + "/extra.cfg");
    QVERIFY(extra.open(QIODevice::WriteOnly));
    extra.write("set fraglimit 77\n");
    extra.close();

    // The real server ends with other values than File / Open reads...
    const GameServer server(tree, 28218);
    QVERIFY(server.answers());
    QCOMPARE(server.console("letmein", "fraglimit"),
             QByteArray("\xff\xff\xff\xffprint\n\"fraglimit\" is \"77\"\n"));
    QCOMPARE(server.console("letmein", "timelimit"),
             QByteArray("\xff\xff\xff\xffprint\n\"timelimit\" is \"44\"\n"));
    QCOMPARE(server.console("letmein", "dmflags"),
             QByteArray("\xff\xff\xff\xffprint\n\"dmflags\" is \"1\"\n"));
    const Run show = kezcfg({"show", tree.modFolder()});
    QVERIFY2(show.output.contains("Frag limit:          25\n") &&
                 show.output.contains("Time limit:          20\n"),
             qPrintable(show.output));

    // ... and check names the line behind each.
    const Run run = kezcfg({"check", tree.modFolder()});
    QCOMPARE(run.status, 1);
    const QString says = ": warning: when the console runs this line, it sets ";
    QVERIFY2(run.output.contains("server.cfg:30" + says + "fraglimit (exec extra.cfg: extra.cfg line 1)"),
             qPrintable(run.output));
    QVERIFY(run.output.contains("server.cfg:32" + says + "timelimit (vstr x1 runs \"set timelimit 44\")"));
    QVERIFY(run.output.contains("server.cfg:33" + says + "dmflags (toggle dmflags)"));
}

void TestReload::aNewPasswordIsDelivered()
{
    const GameTree tree(startingJson);
    const GameServer server(tree, 28219);
    QVERIFY(server.answers());
    // apply keeps the file it replaces as server.cfg~, with the password the
    // server still runs.
    const QString config = tree.modFolder() + "/server.cfg";
    QCOMPARE(tree.apply(R"({"rconPassword": "s3cond", "fragLimit": 33})"), 0);
    // The comparison sees the server on the previous password, as a difference.
    Run run = kezcfg({"reload", "--check", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 1);
    QVERIFY2(
        run.output.contains("  differs: rcon_password: the server has the one of the previous configuration "
                            "(server.cfg~), not server.cfg's\n"),
        qPrintable(run.output));
    QVERIFY(
        run.output.contains("  differs: fraglimit: the server has \"20\", server.cfg line 16 has \"33\"\n"));

    run = kezcfg({"reload", tree.modFolder(), server.address()});
    QVERIFY2(run.status == 0, qPrintable(run.output));
    QVERIFY(run.output.contains(server.address() +
                                ": runs server.cfg again, sent with the rcon password of the previous "
                                "configuration (server.cfg~), which the server still had\n"));
    QVERIFY(!run.output.contains("letmein") && !run.output.contains("s3cond"));
    QCOMPARE(server.console("s3cond", "fraglimit"),
             QByteArray("\xff\xff\xff\xffprint\n\"fraglimit\" is \"33\"\n"));

    // Without a previous generation that the server takes, the refusal stands.
    QCOMPARE(tree.apply(R"({"rconPassword": "th1rd"})"), 0);
    QVERIFY(QFile::remove(config + "~"));
    QVERIFY(QFile::copy(config, config + "~"));
    run = kezcfg({"reload", "--timeout", "2", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.output.contains("it refused the rcon password"), qPrintable(run.output));
}

QTEST_GUILESS_MAIN(TestReload)
#include "tst_reload.moc"
