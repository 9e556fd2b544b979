// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <vector>

// One row of the benchmark table: a measured median and the reference it is
// read against.
struct BenchmarkRow
{
    QString what;
    double milliseconds;
    QString reference;
    double referenceMilliseconds;
    QString aim;
    bool meetsAim;
};

// File / Save and File / Open on a hidden main window in a scratch folder:
// the start-up form, a full form, and map lists of 10,000 and 100,000 lines,
// each next to plain Qt file I/O of the same bytes.
std::vector<BenchmarkRow> runFileBenchmarks(int runs);
