// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <malloc.h>

inline double millisecondsOf(const std::function<void()> &action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    // Whatever the command left for the event loop (the list's layout, a
    // repaint) is part of what the operator waits for.
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double kibibytesIn(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

// The resident memory that action adds at its peak, in MiB: the peak is
// reset first, so that only this action's high-water mark counts.
inline double peakMebibytesAddedBy(const std::function<void()> &action)
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const double before = kibibytesIn("VmRSS:");
    action();
    QApplication::processEvents();
    return (kibibytesIn("VmHWM:") - before) / 1024.0;
}
