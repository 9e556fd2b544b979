// SPDX-License-Identifier: GPL-2.0-or-later
#include "GameFolderBenchmarks.h"
#include "Measure.h"
#include "Statistics.h"

#include "app/ServerConfiguration.h"
#include "gamedata/GameFolders.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

namespace {

constexpr int archiveCount = 1'000;
constexpr int zipCount = 10;
constexpr int mapsPerArchive = 100;

QByteArray mapEntry(int archive, int map)
{
    return QStringLiteral("maps/a%1m%2.bsp").arg(archive).arg(map).toLatin1();
}

void writePak(const QString &path, int archive, int maps = mapsPerArchive)
{
    QByteArray directory;
    for (int map = 0; map < maps; ++map) {
        QByteArray entry = mapEntry(archive, map).leftJustified(64, '\0', true);
        qToLittleEndian<qint32>(12, entry.data() + 56);
        directory += entry;
    }
    QByteArray header("PACK\0\0\0\0\0\0\0\0", 12);
    qToLittleEndian<qint32>(12, header.data() + 4);
    qToLittleEndian<qint32>(qint32(directory.size()), header.data() + 8);
    QSaveFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(header + directory);
    file.commit();
}

void writeZip(const QString &path, int archive)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (int map = 0; map < mapsPerArchive; ++map)
        zip_file_add(zip, mapEntry(archive, map).constData(), zip_source_buffer(zip, "", 0, 0), 0);
    zip_close(zip);
}

// The reference: every archive opened and its directory's bytes read, with
// no name taken out of them.
void readDirectoriesOnly(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.pak")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::ReadOnly);
        const QByteArray header = file.read(12);
        file.seek(qFromLittleEndian<qint32>(header.constData() + 4));
        file.read(qFromLittleEndian<qint32>(header.constData() + 8));
    }
    for (const QString &name : dir.entryList({QStringLiteral("*.pk3")}, QDir::Files)) {
        int error = 0;
        zip_t *zip = zip_open(QFile::encodeName(dir.filePath(name)).constData(), ZIP_RDONLY, &error);
        if (zip)
            zip_discard(zip);
    }
}

void writeRotation(const QString &folder)
{
    QSaveFile config(folder + QStringLiteral("/server.cfg"));
    config.open(QIODevice::WriteOnly);
    config.write("set maplist 1\nmap a0m0\n");
    config.commit();
    QByteArray maps;
    for (int i = 0; i < 1'000'000; ++i)
        maps += mapEntry(i % archiveCount, i % (mapsPerArchive + 1)).mid(5).chopped(4) + '\n';
    QSaveFile list(folder + QStringLiteral("/maplist.txt"));
    list.open(QIODevice::WriteOnly);
    list.write(maps);
    list.commit();
}

struct ProcessRun
{
    double milliseconds;
    double peakMebibytes;
    QByteArray output;
};

// A whole process, from its start to its end, with its peak resident size,
// its output in a file: run by the reference program's --run, which forks
// from a process of its own size (see directory_reader.cpp), started with
// posix_spawn (see ApplyBenchmarks.cpp).
ProcessRun runProcess(const QByteArray &program, const QList<QByteArray> &arguments, const QString &output)
{
    const QByteArray launcher = QByteArrayLiteral(DIRECTORY_READER);
    const QByteArray resultName = QFile::encodeName(output + QStringLiteral(".result"));
    std::vector<char *> argv{const_cast<char *>(launcher.constData()), const_cast<char *>("--run"),
                             const_cast<char *>(resultName.constData()),
                             const_cast<char *>(program.constData())};
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    const QByteArray outputName = QFile::encodeName(output);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputName.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, launcher.constData(), &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    QFile result(output + QStringLiteral(".result"));
    result.open(QIODevice::ReadOnly);
    const QList<QByteArray> figures = result.readAll().trimmed().split(' ');
    QFile file(output);
    file.open(QIODevice::ReadOnly);
    return {figures.value(0).toDouble(), figures.value(1).toDouble() / 1024.0, file.read(64)};
}

double openIn(const QString &folder, ServerConfiguration &window)
{
    QDir::setCurrent(folder);
    window.New_ActionPerformed();
    QApplication::processEvents();
    return millisecondsOf([&] { window.Open_ActionPerformed(); });
}

} // namespace

std::vector<BenchmarkRow> runGameFolderBenchmarks(int runs)
{
    QTemporaryDir tree;
    const QString base = tree.filePath(QStringLiteral("baseq2"));
    const QString mod = tree.filePath(QStringLiteral("kez"));
    const QString bare = tree.filePath(QStringLiteral("bare/kez"));
    for (const QString &folder : {base, mod, bare})
        QDir().mkpath(folder);
    for (int archive = 0; archive < archiveCount; ++archive) {
        if (archive < zipCount)
            writeZip(base + QStringLiteral("/maps%1.pk3").arg(archive), archive);
        else
            writePak(base + (archive < zipCount + 10 ? QStringLiteral("/pak%1.pak").arg(archive - zipCount)
                                                     : QStringLiteral("/extra%1.pak").arg(archive)),
                     archive);
    }
    writeRotation(mod);
    writeRotation(bare);
    // A rotation of three maps for kezcfg check: two found, one missing.
    const QString three = tree.filePath(QStringLiteral("three"));
    QDir().mkpath(three);
    {
        QSaveFile config(three + QStringLiteral("/server.cfg"));
        config.open(QIODevice::WriteOnly);
        config.write("set maplist 1\nmap a5m5\n");
        config.commit();
        QSaveFile list(three + QStringLiteral("/maplist.txt"));
        list.open(QIODevice::WriteOnly);
        list.write("a5m5\na500m7\nnowhere\n");
        list.commit();
    }
    // One pak of 2^20 maps, alone in its folder.
    const QString big = tree.filePath(QStringLiteral("big/baseq2"));
    QDir().mkpath(big);
    writePak(big + QStringLiteral("/pak0.pak"), 0, 1 << 20);
    const QString empty = tree.filePath(QStringLiteral("empty/kez"));
    QDir().mkpath(empty);

    BenchmarkRow read{QStringLiteral("Read a game folder of 1,000 archives holding 100,000 maps"),
                      {},
                      QStringLiteral("ms"),
                      QStringLiteral("the same directories read, no name taken out"),
                      {},
                      QStringLiteral("<= 100 ms"),
                      true};
    BenchmarkRow memory{QStringLiteral("Read that game folder: memory added at peak"),
                        {},
                        QStringLiteral("MiB"),
                        QStringLiteral("-"),
                        {},
                        QStringLiteral("<= 64 MiB"),
                        true};
    GameFolders::read(mod); // a warm file cache for both
    for (int i = 0; i < runs; ++i) {
        read.values.push_back(millisecondsOf([&] { GameFolders::read(mod); }));
        read.referenceValues.push_back(millisecondsOf([&] { readDirectoriesOnly(base); }));
        memory.values.push_back(peakMebibytesAddedBy([&] { GameFolders::read(mod); }));
        memory.referenceValues.push_back(0);
    }
    read.meetsAim = median(read.values) <= 100;
    memory.meetsAim = median(memory.values) <= 64;

    // kezcfg maps and check as an operator runs them, whole processes, each
    // beside the plain reader of the same directory bytes in the same runs.
    const QByteArray kezcfg = QByteArrayLiteral(KEZCFG);
    const QByteArray reader = QByteArrayLiteral(DIRECTORY_READER);
    const QString output = tree.filePath(QStringLiteral("output"));
    const QByteArray baseName = QFile::encodeName(base);
    const double directoryBytes = runProcess(reader, {baseName}, output).output.trimmed().toDouble();
    const double directoryMebibytes = directoryBytes / 1024 / 1024;
    // The program's floor: kezcfg maps where there is no game data at all.
    const double floor = runProcess(kezcfg, {"maps", QFile::encodeName(empty)}, output).peakMebibytes;
    const QString referenceText = QStringLiteral("a plain C++ pread of the same directory bytes (%1 MB)")
                                      .arg(directoryBytes / 1e6, 0, 'f', 1);
    const QString memoryText =
        QStringLiteral("the program's floor (%1 MiB) + 3 x the directory bytes").arg(floor, 0, 'f', 1);
    BenchmarkRow maps{QStringLiteral("kezcfg maps on that game folder, whole process"),
                      {},
                      QStringLiteral("ms"),
                      referenceText,
                      {},
                      QStringLiteral("<= 1.5 x"),
                      true};
    BenchmarkRow check{QStringLiteral("kezcfg check of three maps beside that game folder, whole process"),
                       {},
                       QStringLiteral("ms"),
                       referenceText,
                       {},
                       QStringLiteral("<= 1.5 x"),
                       true};
    BenchmarkRow mapsMemory{QStringLiteral("kezcfg maps on that game folder: peak resident memory"),
                            {},
                            QStringLiteral("MiB"),
                            memoryText,
                            {},
                            QStringLiteral("<= reference"),
                            true};
    BenchmarkRow checkMemory{QStringLiteral("kezcfg check beside that game folder: peak resident memory"),
                             {},
                             QStringLiteral("MiB"),
                             memoryText,
                             {},
                             QStringLiteral("<= reference"),
                             true};
    BenchmarkRow bigPak{QStringLiteral("kezcfg maps, one pak of 2^20 maps, whole process"),
                        {},
                        QStringLiteral("ms"),
                        QStringLiteral("-"),
                        {},
                        QStringLiteral("<= 500 ms"),
                        true};
    BenchmarkRow bigPakMemory{QStringLiteral("kezcfg maps, one pak of 2^20 maps: peak resident memory"),
                              {},
                              QStringLiteral("MiB"),
                              QStringLiteral("-"),
                              {},
                              QStringLiteral("<= 150 MiB"),
                              true};
    const QList<QByteArray> mapsArguments{"maps", QFile::encodeName(mod)};
    const QList<QByteArray> checkArguments{"check", QFile::encodeName(three)};
    runProcess(kezcfg, mapsArguments, output); // a warm file cache for all
    runProcess(kezcfg, {"maps", QFile::encodeName(big)}, output);
    for (int i = 0; i < runs; ++i) {
        const ProcessRun listed = runProcess(kezcfg, mapsArguments, output);
        maps.values.push_back(listed.milliseconds);
        mapsMemory.values.push_back(listed.peakMebibytes);
        maps.referenceValues.push_back(runProcess(reader, {baseName}, output).milliseconds);
        const ProcessRun checked = runProcess(kezcfg, checkArguments, output);
        check.values.push_back(checked.milliseconds);
        checkMemory.values.push_back(checked.peakMebibytes);
        check.referenceValues.push_back(runProcess(reader, {baseName}, output).milliseconds);
        mapsMemory.referenceValues.push_back(floor + 3 * directoryMebibytes);
        checkMemory.referenceValues.push_back(floor + 3 * directoryMebibytes);
        const ProcessRun large = runProcess(kezcfg, {"maps", QFile::encodeName(big)}, output);
        bigPak.values.push_back(large.milliseconds);
        bigPakMemory.values.push_back(large.peakMebibytes);
        bigPak.referenceValues.push_back(0);
        bigPakMemory.referenceValues.push_back(0);
    }
    maps.meetsAim = median(maps.values) <= 1.5 * median(maps.referenceValues);
    check.meetsAim = median(check.values) <= 1.5 * median(check.referenceValues);
    mapsMemory.meetsAim = median(mapsMemory.values) <= floor + 3 * directoryMebibytes;
    checkMemory.meetsAim = median(checkMemory.values) <= floor + 3 * directoryMebibytes;
    bigPak.meetsAim = median(bigPak.values) <= 500;
    bigPakMemory.meetsAim = median(bigPakMemory.values) <= 150;

    // A window for each folder, as an operator has one: Open reads a game
    // folder again only when it changed.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(mod);
    ServerConfiguration window;
    ServerConfiguration shownWindow;
    QDir::setCurrent(bare);
    ServerConfiguration bareWindow;
    BenchmarkRow checked{QStringLiteral("Open, 1,000,000 maps beside that game folder"),
                         {},
                         QStringLiteral("ms"),
                         QStringLiteral("the same Open without game data"),
                         {},
                         QStringLiteral("<= +30 ms"),
                         true};
    for (int i = 0; i < runs; ++i) {
        checked.values.push_back(openIn(mod, window));
        checked.referenceValues.push_back(openIn(bare, bareWindow));
    }
    checked.meetsAim = median(checked.values) - median(checked.referenceValues) <= 30;

    // Shown, the list lays out and paints its rows, and the visible ones are judged.
    BenchmarkRow shown{QStringLiteral("Open, 1,000,000 maps beside that game folder, window shown"),
                       {},
                       QStringLiteral("ms"),
                       QStringLiteral("the same Open on a hidden window"),
                       {},
                       QStringLiteral("<= 1.5 x"),
                       true};
    shownWindow.setVisible(true);
    for (int i = 0; i < runs; ++i) {
        shown.values.push_back(openIn(mod, shownWindow));
        shown.referenceValues.push_back(openIn(mod, window));
    }
    shown.meetsAim = median(shown.values) <= 1.5 * median(shown.referenceValues);
    QDir::setCurrent(previous);
    return {read, memory, maps, check, mapsMemory, checkMemory, bigPak, bigPakMemory, checked, shown};
}
