// SPDX-License-Identifier: GPL-2.0-or-later
// make bench: tables of medians with their interquartile ranges, each figure
// next to its reference measured in the same run, the runs of all programs
// interleaved. Runs under a display (make bench uses xvfb-run).
#include "ApplyBenchmarks.h"
#include "FileBenchmarks.h"
#include "GameFolderBenchmarks.h"
#include "StartupMeasurement.h"
#include "Statistics.h"
#include "StatusBenchmarks.h"

#include <QApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct StartupSeries
{
    QString program;
    QString argument;
    std::vector<double> milliseconds;
    std::vector<double> megabytes;
};

QString spread(const std::vector<double> &values, const char *unit)
{
    return QStringLiteral("%1 %2 (IQR %3)")
        .arg(median(values), 0, 'f', 1)
        .arg(QLatin1String(unit))
        .arg(interquartileRange(values), 0, 'f', 1);
}

void row(const char *what, const std::vector<double> &values, const std::vector<double> &reference,
         const char *unit, double aim)
{
    const double ratio = median(values) / median(reference);
    const QString verdict =
        aim > 0 ? QStringLiteral("%1 (aim %2 x)").arg(ratio <= aim ? "meets" : "MISSES").arg(aim)
                : QStringLiteral("for information");
    std::printf("| %s | %s | %s | %.2f x | %s |\n", what, qPrintable(spread(values, unit)),
                qPrintable(spread(reference, unit)), ratio, qPrintable(verdict));
}

void printTable(const char *heading, const std::vector<BenchmarkRow> &rows)
{
    std::printf("\n| %s | This program | Reference | Reference figure | Aim |\n", heading);
    std::printf("|---|---|---|---|---|\n");
    for (const BenchmarkRow &file : rows) {
        const QByteArray unit = file.unit.toLatin1();
        std::printf("| %s | %s | %s | %s | %s%s |\n", qPrintable(file.what),
                    qPrintable(spread(file.values, unit.constData())), qPrintable(file.reference),
                    qPrintable(spread(file.referenceValues, unit.constData())), qPrintable(file.aim),
                    file.aim == QStringLiteral("-") ? "" : (file.meetsAim ? ": meets" : ": MISSES"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // Connected to the display before the first probe starts, and staying
    // connected: an X server whose last client leaves resets itself, and a
    // probe started during that reset would be timed with it. A desktop's
    // display never resets between two programs.
    QApplication application(argc, argv);
    const QDir here(QCoreApplication::applicationDirPath());
    const int runs = 15;
    // "kez-bench game-folders", "apply" or "status" runs that table alone.
    if (application.arguments().value(1) == u"game-folders") {
        printTable("Game folders (median and IQR of 15 interleaved runs)", runGameFolderBenchmarks(runs));
        return 0;
    }
    if (application.arguments().value(1) == u"status") {
        printTable("kezcfg status (median and IQR of 15 interleaved runs)", runStatusBenchmarks(runs));
        return 0;
    }
    if (application.arguments().value(1) == u"apply") {
        printTable("kezcfg apply (median and IQR of 15 interleaved runs)", runApplyBenchmarks(runs));
        return 0;
    }
    // A start-up takes tens of milliseconds and varies by several from run to
    // run on a shared machine; more runs keep its median steady.
    const int startupRuns = 41;

    StartupSeries ours{here.filePath(QStringLiteral("startup_probe")), {}, {}, {}};
    StartupSeries empty{here.filePath(QStringLiteral("empty_window_probe")), {}, {}, {}};
    StartupSeries withMenu{
        here.filePath(QStringLiteral("empty_window_probe")), QStringLiteral("menu"), {}, {}};
    StartupSeries withLabel{
        here.filePath(QStringLiteral("empty_window_probe")), QStringLiteral("label"), {}, {}};
    StartupSeries *series[] = {&ours, &empty, &withMenu, &withLabel};

    // One warm-up each, so that all start from a warm file cache; then the
    // three alternate, so that drift of the machine's load touches all alike.
    for (StartupSeries *one : series)
        measureStartup(one->program, one->argument);
    for (int i = 0; i < startupRuns; ++i) {
        for (StartupSeries *one : series) {
            const auto sample = measureStartup(one->program, one->argument);
            if (!sample) {
                std::fprintf(stderr, "bench: %s failed to start or to paint\n", qPrintable(one->program));
                return 1;
            }
            one->milliseconds.push_back(sample->milliseconds);
            one->megabytes.push_back(sample->peakMegabytes);
        }
    }

    std::printf("| Start-up (median and IQR of %d runs) | This program | Reference | Ratio | Aim |\n",
                startupRuns);
    std::printf("|---|---|---|---|---|\n");
    // A window that shows no text never loads the font database, so the aims
    // are set against the least window that shows some: a menu and a label.
    row("first painted window, against a main window with a menu and a label", ours.milliseconds,
        withLabel.milliseconds, "ms", 1.10);
    row("peak resident memory, against a main window with a menu and a label", ours.megabytes,
        withLabel.megabytes, "MiB", 1.06);
    row("first painted window, against an empty main window with a menu", ours.milliseconds,
        withMenu.milliseconds, "ms", 0);
    row("first painted window, against an empty main window", ours.milliseconds, empty.milliseconds, "ms", 0);
    row("peak resident memory, against an empty main window", ours.megabytes, empty.megabytes, "MiB", 0);

    const std::vector<BenchmarkRow> files = runFileBenchmarks(runs);
    const QByteArray fileHeading =
        QStringLiteral("File command (median and IQR of %1 interleaved runs)").arg(runs).toLatin1();
    printTable(fileHeading.constData(), files);
    const QByteArray gameHeading =
        QStringLiteral("Game folders (median and IQR of %1 interleaved runs)").arg(runs).toLatin1();
    printTable(gameHeading.constData(), runGameFolderBenchmarks(runs));
    const QByteArray applyHeading =
        QStringLiteral("kezcfg apply (median and IQR of %1 interleaved runs)").arg(runs).toLatin1();
    printTable(applyHeading.constData(), runApplyBenchmarks(runs));
    const QByteArray statusHeading =
        QStringLiteral("kezcfg status (median and IQR of %1 interleaved runs)").arg(runs).toLatin1();
    printTable(statusHeading.constData(), runStatusBenchmarks(runs));

    // Linear growth: the cost of one map stays the same from size to size.
    std::printf("\n| Map rotation | Maps | Median | Per map | Against the size 10 times smaller |\n");
    std::printf("|---|---|---|---|---|\n");
    for (const char *command : {"Save, ", "Open, "}) {
        double smaller = 0;
        for (const BenchmarkRow &file : files) {
            if (!file.what.startsWith(QLatin1String(command)) || !file.what.endsWith(QLatin1String(" maps")))
                continue;
            const double count = file.what.mid(qstrlen(command)).section(u' ', 0, 0).remove(u',').toDouble();
            const double ms = median(file.values);
            std::printf("| %.4s | %.0f | %.2f ms | %.3f us | %s |\n", command, count, ms, ms * 1000 / count,
                        smaller > 0 ? qPrintable(QStringLiteral("%1 x").arg(ms / smaller, 0, 'f', 1)) : "-");
            smaller = ms;
        }
    }
    return 0;
}
