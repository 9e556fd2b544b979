// SPDX-License-Identifier: GPL-2.0-or-later
// The maps the game server can load, read from small game trees made here,
// and judged against the real dedicated server where one is at hand.
#include "gamedata/GameFolders.h"

#include "PeakMemory.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The end records of a zip64 archive whose central directory starts the
// file, followed by comment: the 32-bit record says only "see zip64".
QByteArray zip64EndRecords(qint64 entries, qint64 directorySize, const QByteArray &comment)
{
    QByteArray end(56 + 20 + 22, '\0');
    qToLittleEndian<quint32>(0x06064b50, end.data());
    qToLittleEndian<quint64>(44, end.data() + 4);
    qToLittleEndian<quint64>(entries, end.data() + 24);
    qToLittleEndian<quint64>(entries, end.data() + 32);
    qToLittleEndian<quint64>(directorySize, end.data() + 40);
    qToLittleEndian<quint32>(0x07064b50, end.data() + 56);
    qToLittleEndian<quint64>(directorySize, end.data() + 64);
    qToLittleEndian<quint32>(1, end.data() + 72);
    qToLittleEndian<quint32>(0x06054b50, end.data() + 76);
    for (const int at : {84, 86})
        qToLittleEndian<quint16>(0xffff, end.data() + at);
    for (const int at : {88, 92})
        qToLittleEndian<quint32>(0xffffffff, end.data() + at);
    qToLittleEndian<quint16>(quint16(comment.size()), end.data() + 96);
    return end + comment;
}

// A central directory entry of nothing but its name.
QByteArray zipEntry(const QByteArray &name)
{
    QByteArray entry(46, '\0');
    qToLittleEndian<quint32>(0x02014b50, entry.data());
    qToLittleEndian<quint16>(quint16(name.size()), entry.data() + 28);
    return entry + name;
}

// A zip64 archive of central directory entries alone.
QByteArray zip64(const QList<QByteArray> &names, const QByteArray &comment)
{
    QByteArray directory;
    for (const QByteArray &name : names)
        directory += zipEntry(name);
    return directory + zip64EndRecords(names.size(), directory.size(), comment);
}

QString engine()
{
    const QString path = QStringLiteral(KEZ_ENGINE_DIR "/run-server");
    return QFileInfo(path).isExecutable() ? path : QString();
}

// What the real server says of `map NAME` for each name, run on the data
// folder with the mod kez: the "Can't find" lines, in order.
QStringList cannotFind(const QString &data, const QList<std::pair<QString, Level>> &names, int port)
{
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(engine(), {data, "+set", "game", "kez", "+set", "port", QString::number(port)});
    if (!server.waitForStarted())
        return {"the server did not start"};
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
    // A machine busy with other builds can take long to load the maps.
    if (!server.waitForFinished(60000))
        return {"the server did not end"};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(server.readAll()).split('\n'))
        if (line.startsWith("Can't find"))
            lines << line.trimmed();
    return lines;
}

} // namespace

class TestGameFolders : public QObject
{
    Q_OBJECT

private slots:
    void verdictsAgreeWithTheGameServer();
    void brokenArchivesAreReportedAndTheRestRead();
    void withoutGameDataNoMapIsJudged();
    void looseMapsAreWhatTheServerOpens();
    void boundsAreNamedAndMemoryStaysSmall();
    void endRecordsAreFoundBehindComments();
    void largeListingsKeepTheirOrder();
    void everyDescriptorIsClosed();
    void mapsListsBeforeItWarns();
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
    // Reading only what the verdicts of some names need changes none of them.
    QList<QStringView> judgedNames;
    for (const auto &[name, level] : names)
        judgedNames << name;
    const GameFolders judged = GameFolders::read(".", judgedNames);
    QCOMPARE(judged.mapCounts(), game.mapCounts());
    for (const auto &[name, level] : names) {
        QVERIFY2(judged.verdict(name)->level == level, qPrintable(name));
        QCOMPARE(judged.verdict(name)->sentence, game.verdict(name)->sentence);
    }
    QCOMPARE(game.verdict(u"nothing")->sentence, "the game server cannot find maps/nothing.bsp");
    QCOMPARE(game.verdict(u"zipped")->sentence, "maps/zipped.bsp is only in extra.pk3, which engines that "
                                                "read pak0.pak to pak9.pak alone do not read");

    // The real server is a current engine: it finds every map that some
    // engine finds, and says so of exactly the others.
    if (engine().isEmpty())
        QSKIP("the game server is not at hand");
    QCOMPARE(cannotFind(tree.filePath("data"), names, 28311), missing);
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

void TestGameFolders::looseMapsAreWhatTheServerOpens()
{
    QTemporaryDir tree;
    QVERIFY(::chmod(QFile::encodeName(tree.path()).constData(), 0755) == 0);
    QByteArray map = "not a map";
    if (!engine().isEmpty()) {
        QCOMPARE(QProcess::execute(QStringLiteral(KEZ_ENGINE_DIR "/make-map"), {tree.filePath("m.bsp")}), 0);
        QFile file(tree.filePath("m.bsp"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        map = file.readAll();
    }
    const QString maps = tree.filePath("data/kez/maps/");
    put(maps + "real.bsp", map);
    put(tree.filePath("data/elsewhere/inlink.bsp"), map);
    QVERIFY(QFile::link("../../elsewhere", maps + "linked"));   // a linked folder is searched
    QVERIFY(QFile::link("nowhere.bsp", maps + "dangling.bsp")); // a link to nothing
    QVERIFY(QFile::link("loop.bsp", maps + "loop.bsp"));        // a link to itself
    QVERIFY(::mkfifo(QFile::encodeName(maps + "f.bsp").constData(), 0644) == 0);
    QDir().mkpath(maps + "sub");
    QVERIFY(QFile::link("..", maps + "sub/up")); // a loop of folders
    QString deep = maps + "deep";
    for (int i = 0; i < 33; ++i)
        deep += "/d";
    put(deep + "/bottom.bsp", map);

    QVERIFY(QDir::setCurrent(tree.filePath("data/kez")));
    const GameFolders game = GameFolders::read(".");
    QStringList listed;
    for (const GameFolders::Map &m : game.maps())
        listed << m.name + " " + m.source;
    QCOMPARE(listed, QStringList({"linked/inlink maps/linked/inlink.bsp", "real maps/real.bsp"}));
    QStringList problems;
    for (const GameFolders::Problem &p : game.problems())
        problems << p.file + ": " + p.sentence;
    problems.sort();
    QCOMPARE(
        problems,
        QStringList({
            "maps/dangling.bsp: is a link to nothing: the game server cannot load it",
            "maps/deep/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d: lies more than 32 "
            "folders deep below maps/; it was not searched",
            "maps/f.bsp: is a FIFO, not a regular file: the game server cannot load it",
            "maps/loop.bsp: is a loop of links: the game server cannot load it",
            "maps/sub/up: links back to a folder above it, whose maps are listed once",
        }));

    const QList<std::pair<QString, Level>> names = {
        {"dangling", Level::NoEngine},         {"loop", Level::NoEngine},           {"f", Level::NoEngine},
        {"linked/inlink", Level::EveryEngine}, {"sub/up/real", Level::EveryEngine},
    };
    QStringList missing;
    for (const auto &[name, level] : names) {
        QVERIFY2(game.verdict(name)->level == level, qPrintable(name));
        if (level == Level::NoEngine)
            missing << "Can't find maps/" + name + ".bsp";
    }
    if (engine().isEmpty())
        QSKIP("the game server is not at hand");
    QCOMPARE(cannotFind(tree.filePath("data"), names, 28312), missing);
}

void TestGameFolders::boundsAreNamedAndMemoryStaysSmall()
{
    // A zip64 archive whose central directory lists one entry more than
    // the bound, every one a map: 59 MB of directory.
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    constexpr int entries = (1 << 20) + 1;
    // Written a few thousand entries at a time, so that this test's own
    // size stays far below the bound checked on kezcfg's below.
    QFile huge("huge.pk3");
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QByteArray batch;
    for (int i = 0; i < entries; ++i) {
        batch += zipEntry("maps/m" + QByteArray::number(i) + ".bsp");
        if (batch.size() > 256 * 1024 || i == entries - 1) {
            huge.write(batch);
            batch.clear();
        }
    }
    const qint64 directorySize = huge.size();
    huge.write(zip64EndRecords(entries, directorySize, {}));
    huge.close();

    // kezcfg maps as a child, for its peak resident size (which counts this
    // test's own at the child's start, so errs high): the stated bound is
    // twice the directory's bytes above the program's floor.
    const QByteArray program = KEZCFG;
    char *const arguments[] = {const_cast<char *>(program.constData()), const_cast<char *>("maps"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "errors", O_WRONLY | O_CREAT, 0644);
    pid_t child = 0;
    QCOMPARE(posix_spawn(&child, program.constData(), &actions, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage = {};
    QCOMPARE(::wait4(child, &status, 0, &usage), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QFile errors("errors");
    QVERIFY(errors.open(QIODevice::ReadOnly));
    QCOMPARE(errors.readAll(),
             "kezcfg: huge.pk3: warning: lists 1048577 entries; only the first 1048576 were "
             "read; its other maps were read\n");
    if (TestSupport::peakMemoryIsMeaningful)
        QVERIFY2(usage.ru_maxrss < 16 * 1024 + 2 * directorySize / 1024,
                 qPrintable(QString::number(usage.ru_maxrss)));
}

void TestGameFolders::endRecordsAreFoundBehindComments()
{
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    // Comments that push the end record out of the file's last page, or its
    // zip64 locator just out of it.
    putZip("commented.pk3", {"maps/commented.bsp"});
    int error = 0;
    zip_t *archive = zip_open("commented.pk3", 0, &error);
    QVERIFY(archive);
    const QByteArray comment(5000, 'c');
    QCOMPARE(zip_set_archive_comment(archive, comment.constData(), zip_uint16_t(comment.size())), 0);
    QCOMPARE(zip_close(archive), 0);
    put("split.pk3", zip64({"maps/split.bsp"}, QByteArray(4096 - 22 - 10, 'c')));
    put("plain.pk3", zip64({"maps/plain.bsp"}, {}));
    // A comment that itself holds an end record's signature, which ends past
    // the file: the real one before it counts.
    put("decoy.pk3", zip64({"maps/decoy.bsp"}, QByteArray("PK\x05\x06", 4) + QByteArray(30, 'c')));

    const GameFolders game = GameFolders::read(".");
    QVERIFY(game.problems().isEmpty());
    QStringList listed;
    for (const GameFolders::Map &m : game.maps())
        listed << m.name + " " + m.source;
    QCOMPARE(listed, QStringList({"commented commented.pk3", "decoy decoy.pk3", "plain plain.pk3",
                                  "split split.pk3"}));
}

void TestGameFolders::largeListingsKeepTheirOrder()
{
    // Enough maps for the listing's own sort and for more than one block of
    // names, with names that share their first eight letters and differ in
    // letter case, loose and archived.
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    QList<QByteArray> filler;
    for (int i = 10000; i < 15000; ++i)
        filler << "maps/filler_number_" + QByteArray::number(i) + ".bsp";
    put("pak0.pak",
        pak(filler + QList<QByteArray>{"maps/Longname_b.bsp", "maps/longname_a.bsp", "maps/longnamE_A.bsp",
                                       "maps/LONGNAME.bsp", "maps/dm.bsp", "maps/longnameZ.bsp"}));
    put("pak1.pak", pak({"maps/longname_B.bsp", "maps/zz.bsp"}));
    put("maps/Dm.bsp", "x");
    put("maps/dm.bsp", "x");
    put("maps/LongName_a.bsp", "x");

    const GameFolders game = GameFolders::read(".");
    QStringList listed;
    for (const GameFolders::Map &m : game.maps()) {
        if (!m.name.startsWith(u'f'))
            listed << m.name + " " + m.source;
        else if (listed.size() == 2)
            listed << "the filler";
    }
    const QList<GameFolders::Map> maps = game.maps();
    QCOMPARE(maps.size(), 5000 + 7);
    QCOMPARE(listed, QStringList({"Dm maps/Dm.bsp", "dm maps/dm.bsp", "the filler", "LONGNAME pak0.pak",
                                  "LongName_a maps/LongName_a.bsp", "Longname_b pak0.pak",
                                  "longnameZ pak0.pak", "zz pak1.pak"}));
    for (int i = 0; i < 5000; ++i) {
        QCOMPARE(maps.at(2 + i).name, QStringLiteral("filler_number_%1").arg(10000 + i));
        QCOMPARE(maps.at(2 + i).source, "pak0.pak");
    }
}

void TestGameFolders::everyDescriptorIsClosed()
{
    // What opens a descriptor: each folder walked (a loop back and one past
    // the depth bound too), each archive read, good or broken, the listing
    // of the archives, and the change stamp's walk.
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    put("maps/a/b/one.bsp", "x");
    QVERIFY(QFile::link("..", "maps/a/up"));
    QString deep = "maps/deep";
    for (int i = 0; i < 33; ++i)
        deep += "/d";
    put(deep + "/bottom.bsp", "x");
    put("pak0.pak", pak({"maps/two.bsp"}));
    put("pak1.pak", "PAK!not a pack");
    put("other.pk3", "PK\x03\x04 but nothing more");
    QVERIFY(QFile::link("nowhere.pak", "dangling.pak"));
    QVERIFY(::mkfifo("pak2.pak", 0644) == 0);

    const auto openDescriptors = [] {
        return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot).size();
    };
    const qsizetype before = openDescriptors();
    const GameFolders game = GameFolders::read(".");
    QVERIFY(!GameFolders::stamp(".").isEmpty());
    QCOMPARE(openDescriptors(), before);
    QCOMPARE(game.verdict(u"a/b/one")->level, Level::EveryEngine);
    QCOMPARE(game.verdict(u"two")->level, Level::EveryEngine);
    QCOMPARE(game.problems().size(), 6);
}

void TestGameFolders::mapsListsBeforeItWarns()
{
    // Standard output and error in one pipe: the listing, then the problems,
    // then the failure that ends the command.
    QTemporaryDir tree;
    QVERIFY(QDir::setCurrent(tree.path()));
    put("game/maps/a.bsp", "x");
    put("game/broken.pk3", "not a zip");
    QDir().mkpath("empty/sub");
    QProcess kezcfg;
    kezcfg.setProcessChannelMode(QProcess::MergedChannels);
    kezcfg.start(KEZCFG, {"maps", "game"});
    QVERIFY(kezcfg.waitForFinished());
    QCOMPARE(kezcfg.readAll(),
             "a  maps/a.bsp\n"
             "kezcfg: broken.pk3: warning: is not a zip archive; no engine can load its maps\n");
    QCOMPARE(kezcfg.exitCode(), 0);

    kezcfg.start(KEZCFG, {"maps", "--json", "empty/sub"});
    QVERIFY(kezcfg.waitForFinished());
    QCOMPARE(
        QString::fromUtf8(kezcfg.readAll()),
        QString("{\n"
                "    \"folders\": [\n"
                "        {\n"
                "            \"folder\": \".\",\n"
                "            \"maps\": 0\n"
                "        },\n"
                "        {\n"
                "            \"folder\": \"../baseq2\",\n"
                "            \"maps\": 0\n"
                "        }\n"
                "    ],\n"
                "    \"gameData\": false,\n"
                "    \"maps\": [\n"
                "    ],\n"
                "    \"problems\": [\n"
                "    ]\n"
                "}\n"
                "kezcfg: no game data (a maps/ folder, .pak, .pk3 or .pkz) in %1/empty/sub or ../baseq2\n")
            .arg(QDir::currentPath()));
    QCOMPARE(kezcfg.exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestGameFolders)
#include "tst_gamefolders.moc"
