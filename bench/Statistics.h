// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <algorithm>
#include <vector>

// The median of a series of measurements.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The spread of a series: the distance between its first and third
// quartiles, each the median of its half.
inline double interquartileRange(std::vector<double> values)
{
    if (values.size() < 2)
        return 0;
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    const std::vector<double> lower(values.begin(), values.begin() + half);
    const std::vector<double> upper(values.end() - half, values.end());
    return median(upper) - median(lower);
}
