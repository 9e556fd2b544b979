// make bench: one table of medians, each figure next to its reference
// measured in the same run. Runs under a display (make bench uses xvfb-run).
#include "FileBenchmarks.h"
#include "StartupMeasurement.h"

#include <QApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void row(const char *what, double value, double reference, const char *unit, double aim)
{
    const double ratio = value / reference;
    std::printf("| %s | %.1f %s | %.1f %s | %.2f x | %s (aim %.1f x) |\n", what, value, unit, reference, unit,
                ratio, ratio <= aim ? "meets" : "MISSES", aim);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const QString program = QDir(here).filePath(QStringLiteral("startup_probe"));
    const QString reference = QDir(here).filePath(QStringLiteral("empty_window_probe"));
    const int runs = 15;

    std::vector<double> programTimes, programMemory, referenceTimes, referenceMemory;
    // One warm-up each, so that both start from a warm file cache.
    measureStartup(program);
    measureStartup(reference);
    for (int i = 0; i < runs; ++i) {
        // Alternate, so that drift of the machine's load touches both alike.
        const auto ours = measureStartup(program);
        const auto theirs = measureStartup(reference);
        if (!ours || !theirs) {
            std::fprintf(stderr, "bench: a probe failed to start or to paint\n");
            return 1;
        }
        programTimes.push_back(ours->milliseconds);
        programMemory.push_back(ours->peakMegabytes);
        referenceTimes.push_back(theirs->milliseconds);
        referenceMemory.push_back(theirs->peakMegabytes);
    }

    std::printf("| Measurement (median of %d runs) | This program | Reference | Ratio | Aim |\n", runs);
    std::printf("|---|---|---|---|---|\n");
    row("start-up to first painted window", median(programTimes), median(referenceTimes), "ms", 1.3);
    row("peak resident memory", median(programMemory), median(referenceMemory), "MiB", 1.2);

    std::printf("\n| File command (median of %d runs) | Time | Reference | Reference time | Aim |\n", runs);
    std::printf("|---|---|---|---|---|\n");
    for (const BenchmarkRow &file : runFileBenchmarks(runs)) {
        std::printf("| %s | %.2f ms | %s | %.2f ms | %s%s |\n", qPrintable(file.what), file.milliseconds,
                    qPrintable(file.reference), file.referenceMilliseconds, qPrintable(file.aim),
                    file.aim == QStringLiteral("-") ? "" : (file.meetsAim ? ": meets" : ": MISSES"));
    }
    return 0;
}
