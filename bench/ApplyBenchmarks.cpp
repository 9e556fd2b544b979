// SPDX-License-Identifier: GPL-2.0-or-later
#include "ApplyBenchmarks.h"
#include "Measure.h"
#include "Statistics.h"

#include "app/ServerConfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int mapCount = 1'000'000;

// The rotation q2map0 ... with its last map named last.
QStringList rotation(const QString &last)
{
    QStringList maps;
    maps.reserve(mapCount);
    for (int i = 0; i < mapCount - 1; ++i)
        maps.append(QStringLiteral("q2map%1").arg(i));
    maps.append(last);
    return maps;
}

QString writeJson(const QString &path, const QStringList &maps)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("{\"mapList\": true, \"rotation\": [\"" + maps.join(QStringLiteral("\", \"")).toLatin1() +
               "\"]}");
    return path;
}

// Started with posix_spawn, which shares the benchmark's memory with the
// child until it runs kezcfg: QProcess forks, and forking a process that
// holds a million-map window copies its page tables, a millisecond or two
// that an operator's shell does not spend.
bool apply(const QString &folder, const QString &json)
{
    const QByteArray program = QByteArrayLiteral(KEZCFG);
    const QByteArray folderName = QFile::encodeName(folder);
    const QByteArray jsonName = QFile::encodeName(json);
    char *const arguments[] = {const_cast<char *>(program.constData()), const_cast<char *>("apply"),
                               const_cast<char *>(folderName.constData()),
                               const_cast<char *>(jsonName.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const bool started = posix_spawn(&child, program.constData(), &actions, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

std::vector<BenchmarkRow> runApplyBenchmarks(int runs)
{
    QTemporaryDir scratch;
    const QString applied = scratch.filePath(QStringLiteral("applied"));
    const QString saved = scratch.filePath(QStringLiteral("saved"));
    QDir().mkpath(applied);
    QDir().mkpath(saved);
    const QStringList first = rotation(QStringLiteral("q2dm1"));
    const QStringList second = rotation(QStringLiteral("q2dm2"));
    const QString jsons[] = {writeJson(scratch.filePath(QStringLiteral("1.json")), first),
                             writeJson(scratch.filePath(QStringLiteral("2.json")), second)};

    const QString previous = QDir::currentPath();
    QDir::setCurrent(saved);
    ServerConfiguration window;
    window.mapListCheckbox->setChecked(true);
    BenchmarkRow changed{QStringLiteral("kezcfg apply, 1,000,000 maps, a changed rotation"),
                         {},
                         QStringLiteral("ms"),
                         QStringLiteral("File / Save of the same rotation"),
                         {},
                         QStringLiteral("<= 2 x"),
                         true};
    for (int i = 0; i < runs; ++i) {
        changed.values.push_back(millisecondsOf([&] { apply(applied, jsons[i % 2]); }));
        window.mapList->removeAll();
        window.mapList->add(i % 2 ? second : first);
        changed.referenceValues.push_back(millisecondsOf([&] { window.Save_ActionPerformed(); }));
    }
    changed.meetsAim = median(changed.values) <= 2 * median(changed.referenceValues);

    BenchmarkRow unchanged{QStringLiteral("kezcfg apply, 1,000,000 maps, nothing changed"),
                           {},
                           QStringLiteral("ms"),
                           QStringLiteral("File / Save of the same rotation"),
                           {},
                           QStringLiteral("writes nothing"),
                           true};
    const QString list = applied + QStringLiteral("/maplist.txt");
    for (int i = 0; i < runs; ++i) {
        const QDateTime before = QFileInfo(list).lastModified();
        unchanged.values.push_back(millisecondsOf([&] { apply(applied, jsons[(runs - 1) % 2]); }));
        unchanged.meetsAim = unchanged.meetsAim && QFileInfo(list).lastModified() == before;
        unchanged.referenceValues.push_back(millisecondsOf([&] { window.Save_ActionPerformed(); }));
    }
    QDir::setCurrent(previous);
    return {changed, unchanged};
}
