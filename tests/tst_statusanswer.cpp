// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/StatusAnswer.h"

#include <QTest>

namespace {

const QByteArray print("\xff\xff\xff\xffprint\n");

// The answer as flat lists, so that each row can name it in literals: info as
// key, value, key, value...; players as "score ping name".
QStringList infoOf(const StatusAnswer &answer)
{
    QStringList flat;
    for (const auto &[key, value] : answer.info)
        flat << key << value;
    return flat;
}

QStringList playersOf(const StatusAnswer &answer)
{
    QStringList shown;
    for (const StatusAnswer::Player &player : answer.players)
        shown << QStringLiteral("%1 %2 %3").arg(player.score).arg(player.ping).arg(player.name);
    return shown;
}

} // namespace

class TestStatusAnswer : public QObject
{
    Q_OBJECT

private slots:
    void statusAnswer_data();
    void statusAnswer();
    void consoleAnswer_data();
    void consoleAnswer();
    void consoleValue_data();
    void consoleValue();
};

void TestStatusAnswer::statusAnswer_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QStringList>("info");
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QStringList>("problems");

    QTest::newRow("normal") << print + "\\hostname\\Kez Arena\\mapname\\q2dm1\\maxclients\\8\n"
                                       "12 34 \"Alice\"\n-3 999 \"Bob\"\n"
                            << QStringList{"hostname", "Kez Arena", "mapname", "q2dm1", "maxclients", "8"}
                            << QStringList{"12 34 Alice", "-3 999 Bob"} << QStringList{};
    QTest::newRow("no players") << print + "\\mapname\\q2dm1\n"
                                << QStringList{"mapname", "q2dm1"} << QStringList{} << QStringList{};
    // Only the outer quotes are the protocol's.
    QTest::newRow("quoted name") << print + "\\a\\1\n5 20 \"say \"hi\"\"\n7 8 \"\"\n"
                                 << QStringList{"a", "1"} << QStringList{"5 20 say \"hi\"", "7 8 "}
                                 << QStringList{};
    QTest::newRow("header alone") << print << QStringList{} << QStringList{}
                                  << QStringList{"the info string has no end",
                                                 "the info string does not begin with a backslash"};
    QTest::newRow("cut in a key") << print + "\\hostname\\Kez\\mapn" << QStringList{"hostname", "Kez"}
                                  << QStringList{}
                                  << QStringList{"the info string has no end",
                                                 "the info string has a key without a value (\"mapn\")"};
    QTest::newRow("odd backslashes") << print + "\\a\\1\\b\\\n"
                                     << QStringList{"a", "1", "b", ""} << QStringList{} << QStringList{};
    QTest::newRow("key without value") << print + "\\a\\1\\b\n"
                                       << QStringList{"a", "1"} << QStringList{}
                                       << QStringList{"the info string has a key without a value (\"b\")"};
    QTest::newRow("empty keys") << print + "\\\\v\\k\\\n"
                                << QStringList{"", "v", "k", ""} << QStringList{} << QStringList{};
    QTest::newRow("no leading backslash")
        << print + "hostname\\x\n"
        << QStringList{} << QStringList{} << QStringList{"the info string does not begin with a backslash"};
    QTest::newRow("control characters")
        << print + "\\host\x1bname\\a\x07"
                   "b\xe9\n1 2 \"x\x01y\x9b\"\n"
        << QStringList{"host\\x1bname", "a\\x07b\\xe9"} << QStringList{"1 2 x\\x01y\\x9b"} << QStringList{};
    // Empty lines count, so that the number is the line's in the answer.
    QTest::newRow("bad player lines")
        << print + "\\a\\1\n\n3 4 bob\nx 4 \"n\"\n1 2 \"a\"\r\n9 9 \"\n1 2 \"ok\"" << QStringList{"a", "1"}
        << QStringList{"1 2 ok"}
        << QStringList{"player line 2 does not parse: \"3 4 bob\"",
                       "player line 3 does not parse: \"x 4 \"n\"\"",
                       "player line 4 does not parse: \"1 2 \"a\"\\x0d\"",
                       "player line 5 does not parse: \"9 9 \"\""};
    QTest::newRow("long bad line cut")
        << print + "\\a\\1\n" + QByteArray(100, 'x') << QStringList{"a", "1"} << QStringList{}
        << QStringList{"player line 1 does not parse: \"" + QString(80, u'x') + "\""};
}

void TestStatusAnswer::statusAnswer()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QStringList, info);
    QFETCH(QStringList, players);
    QFETCH(QStringList, problems);

    const std::optional<StatusAnswer> answer = parseStatusAnswer(datagram);
    QVERIFY(answer);
    QCOMPARE(infoOf(*answer), info);
    QCOMPARE(playersOf(*answer), players);
    QCOMPARE(answer->problems, problems);
    QCOMPARE(answer->holdsSettings(), !info.isEmpty());
}

void TestStatusAnswer::consoleAnswer_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isAnswer");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("one line") << print + "\"fraglimit\" is \"40\"\n"
                              << true << QStringList{"\"fraglimit\" is \"40\""};
    QTest::newRow("lines without last end") << print + "one\n\ntwo" << true << QStringList{"one", "", "two"};
    QTest::newRow("header alone") << print << true << QStringList{};
    QTest::newRow("escape sequence") << print + "Bad\x1b[2J\n" << true << QStringList{"Bad\\x1b[2J"};
    QTest::newRow("empty") << QByteArray() << false << QStringList{};
    QTest::newRow("cut header") << QByteArray("\xff\xff\xff\xffpri") << false << QStringList{};
    QTest::newRow("status query") << QByteArray("\xff\xff\xff\xffstatus\n") << false << QStringList{};
    QTest::newRow("no out-of-band mark") << QByteArray("print\n\\a\\1\n") << false << QStringList{};
}

void TestStatusAnswer::consoleAnswer()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, isAnswer);
    QFETCH(QStringList, lines);

    const std::optional<QStringList> answer = parseConsoleAnswer(datagram);
    QCOMPARE(bool(answer), isAnswer);
    QCOMPARE(answer.value_or(QStringList()), lines);
    // What is no print answer is no status answer either.
    QCOMPARE(bool(parseStatusAnswer(datagram)), isAnswer);
}

void TestStatusAnswer::consoleValue_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("value") << "\"fraglimit\" is \"40\""
                           << "fraglimit" << true << "40";
    QTest::newRow("quotes inside") << "\"hostname\" is \"say \"hi\"\""
                                   << "hostname" << true << "say \"hi\"";
    QTest::newRow("empty value") << "\"motd\" is \"\""
                                 << "motd" << true << "";
    QTest::newRow("cut value") << "\"motd\" is \""
                               << "motd" << false << "";
    QTest::newRow("other variable") << "\"timelimit\" is \"20\""
                                    << "fraglimit" << false << "";
    QTest::newRow("unquoted value") << "\"fraglimit\" is 40"
                                    << "fraglimit" << false << "";
    QTest::newRow("unknown command") << "Unknown command \"fraglimit\""
                                     << "fraglimit" << false << "";
}

void TestStatusAnswer::consoleValue()
{
    QFETCH(QString, line);
    QFETCH(QString, variable);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const std::optional<QString> result = ::consoleValue(line, variable);
    QCOMPARE(bool(result), found);
    QCOMPARE(result.value_or(QString()), value);
}

QTEST_GUILESS_MAIN(TestStatusAnswer)
#include "tst_statusanswer.moc"
