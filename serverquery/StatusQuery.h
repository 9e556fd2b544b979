// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"
#include "serverquery/StatusAnswer.h"

#include <QString>
#include <optional>
#include <vector>

struct CallDeadline;

// The status query to one game server, from its sending to its answer.
struct StatusQuery
{
    QString name; // as given
    QString host;
    QString port;
    UniqueFd socket;
    QString error;     // why it has no answer
    qint64 strays = 0; // datagrams that were no status answer
    std::optional<StatusAnswer> answer;

    // Takes target, HOST[:PORT] or [IPv6][:PORT]; false when it is neither.
    bool setTarget(const QString &target);
    // Resolves the server, and sends it the query from a socket connected to
    // its address, so that only an answer from that address is received.
    void send();
};

// Waits for every answer at once, until the deadline. What came before it
// is read even when the deadline has passed (the console may have been asked
// first), up to a bound, so that a flood cannot hold the call. A query left
// without an answer gets its error, and every socket is closed.
void receiveStatusAnswers(const std::vector<StatusQuery *> &queries, const CallDeadline &deadline);
