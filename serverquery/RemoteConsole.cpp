// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/RemoteConsole.h"

#include "serverquery/ServerSocket.h"
#include "serverquery/StatusAnswer.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

std::optional<QString> RemoteConsoles::open(const QStringList &targets, bool remote)
{
    for (const QString &target : targets) {
        Console &console = m_consoles.emplace_back();
        console.name = target;
        QString host;
        QString port;
        if (!splitServerTarget(target, host, port))
            return QStringLiteral("\"%1\" is no server: give HOST, HOST:PORT or [IPv6]:PORT").arg(target);
        console.port = port;
        ServerSocket server = connectToServer(host, port, !remote);
        switch (server.fault) {
        case ServerSocket::Fault::None:
            console.socket = std::move(server.socket);
            break;
        case ServerSocket::Fault::Unresolved:
            return QStringLiteral("%1: %2").arg(target, server.reason);
        case ServerSocket::Fault::NotLoopback:
            return QStringLiteral("%1 is not a loopback address: the rcon password would cross the network "
                                  "in clear; run kezcfg on the server's own machine, or give --remote")
                .arg(target);
        case ServerSocket::Fault::NoSocket:
            return QStringLiteral("%1: no socket for port %2 (%3)").arg(target, port, server.reason);
        }
    }
    return std::nullopt;
}

void RemoteConsoles::runOn(const QList<qsizetype> &indices, const QString &password,
                           const QStringList &commands, const QDeadlineTimer &until, const CallDeadline &call)
{
    for (qsizetype i = 0; i < size(); ++i)
        m_consoles[std::size_t(i)].skipped = !indices.contains(i);
    run(password, commands, until, call);
    for (Console &console : m_consoles)
        console.skipped = false;
}

void RemoteConsoles::run(const QString &password, const QStringList &commands, const QDeadlineTimer &until,
                         const CallDeadline &call)
{
    struct Progress
    {
        Console *console;
        qsizetype next = 0; // the command waiting for its answer
        int strays = 0;
        qint64 heard = 0; // datagrams received
    };
    const auto send = [&](Progress &progress) {
        const QByteArray datagram =
            "\xff\xff\xff\xffrcon " + password.toUtf8() + ' ' + commands[progress.next].toUtf8() + '\n';
        if (const std::optional<QString> unsent = sendDatagram(progress.console->socket, datagram))
            progress.console->error = QStringLiteral("the command could not be sent (%1)").arg(*unsent);
    };
    QByteArray datagram(InputBounds::serverDatagram, Qt::Uninitialized);
    std::vector<Progress> running;
    for (Console &console : m_consoles) {
        if (console.skipped)
            continue;
        console.answers.clear();
        console.error.clear(); // each run is asked afresh
        console.refused = false;
        if (console.socket.get() >= 0 && !commands.isEmpty()) {
            // A late answer to an earlier command would be taken for this one's.
            for (int stale = 0; stale < InputBounds::staleDatagrams; ++stale) {
                if (receiveDatagram(console.socket, datagram, console.port).size < 0)
                    break;
            }
            running.push_back({&console});
            send(running.back());
        }
    }

    const auto waiting = [&](const Progress &progress) {
        return progress.console->error.isEmpty() && progress.next < commands.size();
    };
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<Progress *> owners;
        for (Progress &progress : running) {
            if (waiting(progress)) {
                polled.push_back({progress.console->socket.get(), POLLIN, 0});
                owners.push_back(&progress);
            }
        }
        const qint64 left = until.remainingTime();
        if (polled.empty() || left <= 0)
            break;
        if (::poll(polled.data(), polled.size(), int(left)) < 0 && errno != EINTR)
            break;
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (!polled[i].revents)
                continue;
            Progress &progress = *owners[i];
            Console &console = *progress.console;
            const Received received = receiveDatagram(console.socket, datagram, console.port);
            if (received.size < 0) {
                console.error = received.error;
                continue;
            }
            ++progress.heard;
            ++console.heard;
            const std::optional<QStringList> lines = received.size > datagram.size()
                                                         ? std::nullopt
                                                         : parseConsoleAnswer(datagram.left(received.size));
            if (!lines) {
                if (++progress.strays > InputBounds::consoleStrayDatagrams)
                    console.error = QStringLiteral("it sent more than %1 datagrams that answer nothing")
                                        .arg(InputBounds::consoleStrayDatagrams);
                continue;
            }
            if (*lines == QStringList{QStringLiteral("Bad rcon_password.")}) {
                console.refused = true;
                console.error = QStringLiteral("it refused the rcon password (\"Bad rcon_password.\"): the "
                                               "running server has another password than server.cfg");
                continue;
            }
            console.answers.append(*lines);
            if (++progress.next < commands.size())
                send(progress);
        }
    }
    // Every value in one arg(): a name the server's file gave may hold "%1",
    // which a later arg() would fill.
    const QString seconds = QString::number(call.seconds);
    for (Progress &progress : running) {
        if (waiting(progress))
            progress.console->error =
                progress.next == 0 && progress.heard == 0
                    ? QStringLiteral("its console did not answer \"%1\" within %2 s")
                          .arg(commands[progress.next], seconds)
                    : QStringLiteral("its console answered %1 of %2 commands within %3 s (%4 datagrams), "
                                     "not yet \"%5\"")
                          .arg(QString::number(progress.next), QString::number(commands.size()), seconds,
                               QString::number(progress.heard), commands[progress.next]);
    }
}

void RemoteConsoles::askSettings(const QString &password, const QStringList &variables,
                                 const CallDeadline &call)
{
    m_asked = variables;
    run(password, m_asked, call.timer, call);
}

void RemoteConsoles::addSettings(qsizetype index, std::optional<StatusAnswer> &answer, QString &error) const
{
    const Console &console = m_consoles[std::size_t(index)];
    if (!answer)
        return; // the status query's own error says enough
    if (!console.error.isEmpty()) {
        answer.reset();
        error = console.error;
        return;
    }
    for (qsizetype i = 0; i < m_asked.size() && i < console.answers.size(); ++i) {
        const QString &variable = m_asked[i];
        const QStringList &lines = console.answers[i];
        std::optional<QString> value = consoleValue(lines.value(0), variable);
        if (!value && !lines.isEmpty()) {
            answer->problems.append(
                QStringLiteral("the console printed \"%1\" for %2")
                    .arg(printableCut(lines.join(QStringLiteral("\\n")), InputBounds::quotedOutsideText),
                         variable));
            continue;
        }
        if (!value) {
            // Counted as a difference: the file sets what the server lacks.
            answer->problems.append(QStringLiteral("the console has no variable %1").arg(variable));
            value = QString();
        }
        const auto same = std::find_if(answer->info.begin(), answer->info.end(), [&](const auto &entry) {
            return entry.first.compare(variable, Qt::CaseInsensitive) == 0;
        });
        if (same != answer->info.end())
            same->second = *value;
        else
            answer->info.append({variable, *value});
    }
}
