// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "FileBenchmarks.h"

// kezcfg apply of a 1,000,000-map rotation, next to File / Save of the same
// rotation, and the same apply when nothing changed.
std::vector<BenchmarkRow> runApplyBenchmarks(int runs);
