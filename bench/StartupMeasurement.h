// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <optional>

struct StartupSample
{
    double milliseconds;
    double peakMegabytes;
};

// Starts program, waits for it to print the monotonic time of its first
// paint and to end, and returns the time from start to first paint and the
// process's peak resident memory.
std::optional<StartupSample> measureStartup(const QString &program, const QString &argument = {});
