// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "FileBenchmarks.h"

// kezcfg status on 200 stand-in servers on loopback, which answer the
// status query, next to the same call on one of them.
std::vector<BenchmarkRow> runStatusBenchmarks(int runs);
