// SPDX-License-Identifier: GPL-2.0-or-later
// The maps the game server can load, read from small game trees made here,
// and judged against the real dedicated server where one is at hand.
#include "configfiles/GameFolders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <zip.h>

namespace {

using Level = GameFolders::Verdict::Level;

void put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A .pak whose entries all hold body.
QByteArray pak(const QList<QByteArray> &names, const QByteArray &body = "x")
{
    QByteArray data;
    QByteArray directory;
    for (const QByteArray &name : names) {
        directory += name.leftJustified(56, '\0', true) + le32(12 + data.size()) + le32(body.size());
        data += body;
    }
    return "PACK" + le32(12 + data.size()) + le32(directory.size()) + data + directory;
}

void putZip(const QString &path, const QList<QByteArray> &names, const QByteArray &body = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const QByteArray &name : names)
        zip_file_add(archive, name.constData(), zip_source_buffer(archive, body.constData(), body.size(), 0),
                     0);
    QCOMPARE(zip_close(archive), 0);
}

QString engine()
{
    const QString path = QStringLiteral(KEZ_ENGINE_DIR "/run-server");
    return QFileInfo(path).isExecutable() ? path : QString();
}

} // namespace

class TestGameFolders : public QObject
{
    Q_OBJECT

private slots:
    void verdictsAgreeWithTheGameServer();
    void brokenArchivesAreReportedAndTheRestRead();
    void withoutGameDataNoMapIsJudged();
};

void TestGameFolders::verdictsAgreeWithTheGameServer()
{
    QTemporaryDir tree;
    // The game server runs as nobody when the tests run as root.
    QVERIFY(::chmod(QFile::encodeName(tree.path()).constData(), 0755) == 0);
    QByteArray map;
    if (!engine().isEmpty()) {
        QCOMPARE(QProcess::execute(QStringLiteral(KEZ_ENGINE_DIR "/make-map"), {tree.filePath("m.bsp")}), 0);
        QFile file(tree.filePath("m.bsp"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        map = file.readAll();
    }
    const QString base = tree.filePath("data/baseq2/");
    const QString mod = tree.filePath("data/kez/");
    put(base + "pak0.pak", pak({"maps/Q2DM1.bsp", "pics/colormap.pcx"}, map));
    put(base + "extra.pak", pak({"maps/unnumbered.bsp"}, map));
    put(base + "pak10.pak", pak({"maps/tenth.bsp"}, map));
    putZip(mod + "extra.pk3", {"maps/Zipped.bsp", "maps/", "textures/a.wal"}, map);
    put(mod + "maps/loose.bsp", map);
    put(mod + "maps/sub/deep.bsp", map);
    put(mod + "maps/Upper.bsp", map);
    put(base + "maps/based.bsp", map);

    QVERIFY(QDir::setCurrent(mod));
    const GameFolders game = GameFolders::read(".");
    QCOMPARE(game.folders(), QStringList({".", "../baseq2"}));
    QCOMPARE(game.mapCounts(), QList<qsizetype>({4, 4}));
    QVERIFY(game.problems().isEmpty());
    QStringList listed;
    for (const GameFolders::Map &m : game.maps())
        listed << m.name + " " + m.source;
    QCOMPARE(listed, QStringList({"based ../baseq2/maps/based.bsp", "loose maps/loose.bsp",
                                  "Q2DM1 ../baseq2/pak0.pak", "sub/deep maps/sub/deep.bsp",
                                  "tenth ../baseq2/pak10.pak", "unnumbered ../baseq2/extra.pak",
                                  "Upper maps/Upper.bsp", "Zipped extra.pk3"}));

    const QList<std::pair<QString, Level>> names = {
        {"q2dm1", Level::EveryEngine},      {"Q2DM1.bsp", Level::EveryEngine},
        {"sub/deep", Level::EveryEngine},   {"based", Level::EveryEngine},
        {"LOOSE", Level::SomeEngines},      {"zipped", Level::SomeEngines},
        {"unnumbered", Level::SomeEngines}, {"tenth", Level::SomeEngines},
        {"upper", Level::NoEngine},         {"nothing", Level::NoEngine},
        {"deep", Level::NoEngine},
    };
    QStringList missing;
    for (const auto &[name, level] : names) {
        const std::optional<GameFolders::Verdict> verdict = game.verdict(name);
        QVERIFY(verdict);
        QVERIFY2(verdict->level == level, qPrintable(name));
        if (level == Level::NoEngine)
            missing << "Can't find maps/" + name + ".bsp";
    }
    QCOMPARE(game.verdict(u"nothing")->sentence, "the game server cannot find maps/nothing.bsp");
    QCOMPARE(game.verdict(u"zipped")->sentence, "maps/zipped.bsp is only in extra.pk3, which engines that "
                                                "read pak0.pak to pak9.pak alone do not read");

    // The real server is a current engine: it finds every map that some
    // engine finds, and says so of exactly the others.
    if (engine().isEmpty())
        QSKIP("the game server is not at hand");
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(engine(), {tree.filePath("data"), "+set", "game", "kez", "+set", "port", "27951"});
    QVERIFY(server.waitForStarted());
    // Loading a map drops the commands queued behind it, and the server's
    // output reaches a pipe only when it ends: the names it cannot find go
    // first, in one piece, and each that loads a map alone.
    QByteArray missingFirst;
    for (const auto &[name, level] : names)
        if (level == Level::NoEngine)
            missingFirst += "map " + name.toUtf8() + '\n';
    server.write(missingFirst);
    for (const auto &[name, level] : names) {
        if (level == Level::NoEngine)
            continue;
        QTest::qWait(300);
        server.write("map " + name.toUtf8() + '\n');
    }
    QTest::qWait(300);
    server.write("quit\n");
    QVERIFY(server.waitForFinished(20000));
    const QByteArray output = server.readAll();
    QStringList cannotFind;
    for (const QString &line : QString::fromUtf8(output).split('\n'))
        if (line.startsWith("Can't find"))
            cannotFind << line.trimmed();
    QCOMPARE(cannotFind, missing);
}

void TestGameFolders::brokenArchivesAreReportedAndTheRestRead()
{
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    put("pak0.pak", "PAK!not a pack");
    QByteArray lying = pak({"maps/lost.bsp"});
    lying.replace(4, 4, le32(1 << 30)); // the directory's offset past the end
    put("pak1.pak", lying);
    put("pak2.pak", pak({QByteArray(56, 'a'), "maps/kept.bsp"})); // a name without its NUL
    QByteArray huge = pak({"maps/big.bsp"});
    huge.replace(8, 4, le32(0x7fffffc0)); // a length that would need gigabytes
    put("pak3.pak", huge);
    put("broken.pk3", "PK\x03\x04 but nothing more");
    QVERIFY(::mkfifo("pak4.pak", 0644) == 0); // would block a reader that opened it
    put("pak5.pak", pak({"maps/good.bsp"}));

    const GameFolders game = GameFolders::read(".");
    QStringList problems;
    for (const GameFolders::Problem &p : game.problems())
        problems << p.file + (p.error ? " error " : " warning ") + p.sentence.left(40);
    QCOMPARE(problems, QStringList({
                           "pak0.pak error is not a pack file (it does not begin wi",
                           "pak1.pak warning names a directory of 64 bytes at offset ",
                           "pak2.pak warning has 1 entries whose names lack their end",
                           "pak3.pak warning names a directory of 2147483584 bytes at",
                           "pak4.pak warning cannot be read: it is not a regular file",
                           "broken.pk3 warning is not a zip archive; no engine can load",
                       }));
    QCOMPARE(game.verdict(u"kept")->level, Level::EveryEngine);
    QCOMPARE(game.verdict(u"good")->level, Level::EveryEngine);
    QCOMPARE(game.verdict(u"lost")->level, Level::NoEngine);
}

void TestGameFolders::withoutGameDataNoMapIsJudged()
{
    QTemporaryDir tree;
    put(tree.filePath("baseq2/server.cfg"), "map q2dm1\n");
    QVERIFY(QDir::setCurrent(tree.filePath("baseq2")));
    const GameFolders game = GameFolders::read(".");
    QVERIFY(!game.hasGameData());
    QVERIFY(!game.verdict(u"q2dm1"));
    // In baseq2 itself, that folder alone is searched.
    QCOMPARE(game.folders(), QStringList({"."}));
}

QTEST_GUILESS_MAIN(TestGameFolders)
#include "tst_gamefolders.moc"
