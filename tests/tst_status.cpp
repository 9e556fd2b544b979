// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg status against real game servers on loopback ports of their own,
// each started on a server.cfg that kezcfg apply wrote, and ended here.
#include "GameServerTesting.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace GameServerTesting;

class TestStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void agreesWithItsFolderUntilTheFileChanges();
    void manyServersInOneCallTakeOneTimeout();
    void aNonAnswerIsNoAgreement_data();
    void aNonAnswerIsNoAgreement();
};

void TestStatus::initTestCase()
{
    if (!QFileInfo(engine + "/run-server").isExecutable())
        QSKIP("the game server is not at hand");
}

void TestStatus::agreesWithItsFolderUntilTheFileChanges()
{
    const GameTree tree(R"({"serverName": "Frag Night", "maxClients": 12, "startingMap": "q2dm1",
                            "families": [{"variable": "dmflags", "flags": ["DF_NO_HEALTH"]}]})");
    const GameServer server(tree, 27971);
    QVERIFY(server.answers());
    Run run = kezcfg({"status", "--against", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 0);
    QVERIFY(run.output.startsWith(server.address() + ": Frag Night, map q2dm1, 0 of 12 players\n"));
    QVERIFY(run.output.contains("  dmflags: 1 = DF_NO_HEALTH\n"));

    // The file changes; the running server does not.
    QCOMPARE(
        tree.apply(
            R"({"serverName": "Renamed", "families": [{"variable": "dmflags", "flags": ["DF_NO_ITEMS"]}]})"),
        0);
    run = kezcfg({"status", "--against", tree.modFolder(), server.address()});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.output.contains(
                 "  differs: hostname: the server has \"Frag Night\", server.cfg line 9 has \"Renamed\"\n"),
             qPrintable(run.output));
    QVERIFY(
        run.output.contains("dmflags: the server has \"1\", server.cfg line 13 has \"2\" (only the server: "
                            "DF_NO_HEALTH; only server.cfg: DF_NO_ITEMS)"));
}

void TestStatus::manyServersInOneCallTakeOneTimeout()
{
    const GameTree first(R"({"serverName": "One", "startingMap": "q2dm1"})");
    const GameTree second(R"({"serverName": "Two", "startingMap": "q2dm1"})");
    const GameServer one(first, 27972);
    const GameServer two(second, 27973);
    QVERIFY(one.answers() && two.answers());

    // A port that takes the query and never answers.
    const int silent = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(27974);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(silent, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);

    QElapsedTimer clock;
    clock.start();
    const Run run =
        kezcfg({"status", "--json", "--timeout", "1", one.address(), "127.0.0.1:27974", two.address()});
    const qint64 elapsed = clock.elapsed();
    ::close(silent);
    QCOMPARE(run.status, 2);
    QVERIFY2(elapsed >= 1000 && elapsed < 1800, qPrintable(QString::number(elapsed)));
    const QJsonArray servers =
        QJsonDocument::fromJson(run.output.section("\nkezcfg:", 0, 0).toUtf8()).array();
    QCOMPARE(servers.size(), 3);
    QCOMPARE(servers[0].toObject()["info"].toObject()["hostname"].toString(), "One");
    QCOMPARE(servers[1].toObject()["error"].toString(), "no answer within 1 s");
    QCOMPARE(servers[2].toObject()["info"].toObject()["hostname"].toString(), "Two");
    QVERIFY(run.output.contains("kezcfg: 127.0.0.1:27974: no answer within 1 s\n"));
}

void TestStatus::aNonAnswerIsNoAgreement_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shown"); // a part of the output

    const QByteArray header("\xff\xff\xff\xffprint\n");
    QTest::newRow("print alone") << header << 2
                                 << "the answer holds no settings, so nothing was compared with";
    QTest::newRow("no info string") << header + "rubbish\n"
                                    << 2 << "problem: the info string does not begin with a backslash";
    QTest::newRow("escapes in the info string")
        << header + "\\hostname\\\x1b]0;owned\x07\\mapname\\q2dm1\n0 5 \"\x1b[2J\"\n"
        << 1 << "127.0.0.1:28101: \\x1b]0;owned\\x07, map q2dm1, 1 of ? players\n  player \\x1b[2J  score 0";
    // A name or value that holds "%2" is printed as it stands, not filled in.
    QTest::newRow("per cent signs") << header + "\\hostname\\%3%4\\mapname\\q2dm1\n7 50 \"%2%3\"\n"
                                    << 1 << "  player %2%3  score 7  ping 50\n";
    QTest::newRow("a per cent sign in a difference")
        << header + "\\hostname\\%3%4\\mapname\\q2dm1\n"
        << 1 << "hostname: the server has \"%3%4\", server.cfg line 9 has \"<your server name here>\"";
}

// A fake server on a port of its own answers the query with each datagram.
void TestStatus::aNonAnswerIsNoAgreement()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QString, shown);
    QTemporaryDir folder;
    QCOMPARE(kezcfg({"apply", folder.path(), "-"}, R"({"startingMap": "q2dm1"})").status, 0);

    const int fake = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(28101);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(fake, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QProcess process;
    process.start(QStringLiteral(KEZCFG),
                  {"status", "--timeout", "5", "--against", folder.path(), "127.0.0.1:28101"});
    pollfd waiting{fake, POLLIN, 0};
    QCOMPARE(::poll(&waiting, 1, 5000), 1);
    char query[64];
    sockaddr_in from = {};
    socklen_t fromSize = sizeof from;
    QVERIFY(::recvfrom(fake, query, sizeof query, 0, reinterpret_cast<sockaddr *>(&from), &fromSize) > 0);
    QCOMPARE(::sendto(fake, answer.constData(), size_t(answer.size()), 0, reinterpret_cast<sockaddr *>(&from),
                      fromSize),
             answer.size());
    QVERIFY(process.waitForFinished(10000));
    ::close(fake);
    const QByteArray output = process.readAllStandardOutput() + process.readAllStandardError();
    QCOMPARE(process.exitCode(), status);
    for (const char byte : output)
        QVERIFY2(byte == '\n' || (quint8(byte) >= 0x20 && byte != 0x7f), output.toHex().constData());
    QVERIFY2(QString::fromUtf8(output).contains(shown), output.constData());
}

QTEST_GUILESS_MAIN(TestStatus)
#include "tst_status.moc"
