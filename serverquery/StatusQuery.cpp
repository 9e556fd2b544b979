// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/StatusQuery.h"

#include "serverquery/CallDeadline.h"
#include "serverquery/ServerSocket.h"
#include "text/InputBounds.h"

#include <cerrno>
#include <poll.h>

bool StatusQuery::setTarget(const QString &target)
{
    name = target;
    return splitServerTarget(target, host, port);
}

void StatusQuery::send()
{
    ServerSocket server = connectToServer(host, port, false);
    if (server.fault == ServerSocket::Fault::Unresolved) {
        error = server.reason;
        return;
    }
    const std::optional<QString> unsent = server.fault == ServerSocket::Fault::NoSocket
                                              ? std::optional(server.reason)
                                              : sendDatagram(server.socket, statusQuery());
    if (unsent) {
        error = QStringLiteral("the query could not be sent to port %1 (%2)").arg(port, *unsent);
        return;
    }
    socket = std::move(server.socket);
}

void receiveStatusAnswers(const std::vector<StatusQuery *> &queries, const CallDeadline &deadline)
{
    QByteArray datagram(InputBounds::serverDatagram, Qt::Uninitialized);
    int lateReads = 0;
    for (;;) {
        std::vector<pollfd> waiting;
        std::vector<StatusQuery *> owners;
        for (StatusQuery *query : queries) {
            if (query->socket.get() >= 0 && !query->answer && query->error.isEmpty()) {
                waiting.push_back({query->socket.get(), POLLIN, 0});
                owners.push_back(query);
            }
        }
        const qint64 left = qMax<qint64>(0, deadline.timer.remainingTime());
        if (waiting.empty() || (left == 0 && ++lateReads > InputBounds::staleDatagrams))
            break;
        const int ready = ::poll(waiting.data(), waiting.size(), int(left));
        if ((ready < 0 && errno != EINTR) || (ready == 0 && left == 0))
            break;
        for (size_t i = 0; i < waiting.size(); ++i) {
            if (!waiting[i].revents)
                continue;
            StatusQuery &query = *owners[i];
            const Received received = receiveDatagram(query.socket, datagram, query.port);
            if (received.size < 0) {
                query.error = received.error;
                continue;
            }
            std::optional<StatusAnswer> answer =
                parseStatusAnswer(datagram.left(qMin<qsizetype>(received.size, datagram.size())));
            if (!answer) {
                ++query.strays;
                continue; // not a status answer: keep waiting for one
            }
            if (received.size > datagram.size())
                answer->problems.append(
                    QStringLiteral("the answer was longer than a datagram holds and was cut"));
            query.answer = std::move(answer);
        }
    }
    for (StatusQuery *query : queries) {
        if (!query->answer && query->error.isEmpty())
            query->error = query->strays == 0
                               ? QStringLiteral("no answer within %1 s").arg(deadline.seconds)
                               : QStringLiteral("%1 datagrams within %2 s, none of them a status answer")
                                     .arg(query->strays)
                                     .arg(deadline.seconds);
        query->socket.reset();
    }
}
