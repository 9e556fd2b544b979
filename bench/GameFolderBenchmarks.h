// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "FileBenchmarks.h"

// A game folder of 1,000 archives (.pak and .pk3) holding 100,000 maps:
// reading it, next to reading the same directories without judging a name;
// the memory that takes; and Open of a 1,000,000-map rotation beside it,
// next to the same Open without game data, on a hidden and a shown window.
std::vector<BenchmarkRow> runGameFolderBenchmarks(int runs);
