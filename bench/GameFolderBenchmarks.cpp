// SPDX-License-Identifier: GPL-2.0-or-later
#include "GameFolderBenchmarks.h"
#include "Measure.h"
#include "Statistics.h"

#include "app/ServerConfiguration.h"
#include "configfiles/GameFolders.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <zip.h>

namespace {

constexpr int archiveCount = 1'000;
constexpr int zipCount = 100;
constexpr int mapsPerArchive = 100;

QByteArray mapEntry(int archive, int map)
{
    return QStringLiteral("maps/a%1m%2.bsp").arg(archive).arg(map).toLatin1();
}

void writePak(const QString &path, int archive)
{
    QByteArray directory;
    for (int map = 0; map < mapsPerArchive; ++map) {
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
    return {read, memory, checked, shown};
}
