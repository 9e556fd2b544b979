// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <vector>

// One row of a benchmark table: a series of measurements, the reference
// series taken in the same runs, interleaved with them, and the aim.
struct BenchmarkRow
{
    QString what;
    std::vector<double> values;
    QString unit;
    QString reference;
    std::vector<double> referenceValues;
    QString aim;
    bool meetsAim = true;
};

// File / Save and File / Open on the main window in a scratch folder: the start-up form, a full form, a message of the day of 1 MiB,
// and map rotations of 10^3 to 10^6 maps, each run next to plain Qt file
// I/O of the same bytes; Open of the largest rotation once more with the
// window shown, until its list is laid out; and the memory that Open adds
// at its peak.
std::vector<BenchmarkRow> runFileBenchmarks(int runs);
