// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDeadlineTimer>

// The one time limit of a whole command: --timeout's seconds from its start,
// however many steps it takes and whatever the servers send.
struct CallDeadline
{
    QDeadlineTimer timer;
    double seconds; // as given, for messages

    explicit CallDeadline(double timeoutSeconds)
        : timer(qint64(timeoutSeconds * 1000), Qt::PreciseTimer), seconds(timeoutSeconds)
    {}
    // The same end, for a step that must leave reserveMs to the steps after it.
    QDeadlineTimer before(qint64 reserveMs) const
    {
        QDeadlineTimer earlier(Qt::PreciseTimer);
        earlier.setDeadline(timer.deadline() - reserveMs, Qt::PreciseTimer);
        return earlier;
    }
};
