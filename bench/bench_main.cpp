// SPDX-License-Identifier: GPL-2.0-or-later
// make bench: one table of medians, each figure next to its reference
// measured in the same run. Runs under a display (make bench uses xvfb-run).
#include "FileBenchmarks.h"
#include "StartupMeasurement.h"
#include "Statistics.h"

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

void row(const char *what, double value, double reference, const char *unit, double aim)
{
    const double ratio = value / reference;
    const QString verdict =
        aim > 0 ? QStringLiteral("%1 (aim %2 x)").arg(ratio <= aim ? "meets" : "MISSES").arg(aim)
                : QStringLiteral("for information");
    std::printf("| %s | %.1f %s | %.1f %s | %.2f x | %s |\n", what, value, unit, reference, unit, ratio,
                qPrintable(verdict));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QDir here(QCoreApplication::applicationDirPath());
    const int runs = 15;

    StartupSeries ours{here.filePath(QStringLiteral("startup_probe")), {}, {}, {}};
    StartupSeries empty{here.filePath(QStringLiteral("empty_window_probe")), {}, {}, {}};
    StartupSeries withMenu{
        here.filePath(QStringLiteral("empty_window_probe")), QStringLiteral("menu"), {}, {}};
    StartupSeries *series[] = {&ours, &empty, &withMenu};

    // One warm-up each, so that all start from a warm file cache; then the
    // three alternate, so that drift of the machine's load touches all alike.
    for (StartupSeries *one : series)
        measureStartup(one->program, one->argument);
    for (int i = 0; i < runs; ++i) {
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

    std::printf("| Start-up (median of %d runs) | This program | Reference | Ratio | Aim |\n", runs);
    std::printf("|---|---|---|---|---|\n");
    row("first painted window, against an empty main window", median(ours.milliseconds),
        median(empty.milliseconds), "ms", 1.3);
    row("peak resident memory, against an empty main window", median(ours.megabytes), median(empty.megabytes),
        "MiB", 1.2);
    row("first painted window, against an empty main window with a menu", median(ours.milliseconds),
        median(withMenu.milliseconds), "ms", 0);
    row("peak resident memory, against an empty main window with a menu", median(ours.megabytes),
        median(withMenu.megabytes), "MiB", 0);

    std::printf("\n| File command (median of %d runs) | Time | Reference | Reference time | Aim |\n", runs);
    std::printf("|---|---|---|---|---|\n");
    for (const BenchmarkRow &file : runFileBenchmarks(runs)) {
        std::printf("| %s | %.2f ms | %s | %.2f ms | %s%s |\n", qPrintable(file.what), file.milliseconds,
                    qPrintable(file.reference), file.referenceMilliseconds, qPrintable(file.aim),
                    file.aim == QStringLiteral("-") ? "" : (file.meetsAim ? ": meets" : ": MISSES"));
    }
    return 0;
}
