// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/RemoteConsole.h"

#include "files/SystemErrors.h"
#include "serverquery/StatusAnswer.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int defaultPort = 27910;

bool isLoopback(const sockaddr *address)
{
    if (address->sa_family == AF_INET) {
        const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(address);
        return (ntohl(ipv4->sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        const in6_addr &ipv6 = reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&ipv6))
            return true;
        return IN6_IS_ADDR_V4MAPPED(&ipv6) && ipv6.s6_addr[12] == 127;
    }
    return false;
}

} // namespace

bool splitServerTarget(const QString &target, QString &host, QString &port)
{
    host = target;
    port = QString::number(defaultPort);
    if (target.startsWith(u'[')) {
        const qsizetype close = target.indexOf(u']');
        if (close < 0)
            return false;
        host = target.mid(1, close - 1);
        const QString after = target.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return false;
            port = after.mid(1);
        }
    } else if (target.count(u':') == 1) {
        host = target.section(u':', 0, 0);
        port = target.section(u':', 1);
    }
    bool ok = false;
    const int number = port.toInt(&ok);
    return ok && number > 0 && number < 65536 && !host.isEmpty();
}

RemoteConsoles::~RemoteConsoles()
{
    for (const Console &console : m_consoles) {
        if (console.socket >= 0)
            ::close(console.socket);
    }
}

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
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo *found = nullptr;
        const int resolved =
            ::getaddrinfo(host.toUtf8().constData(), port.toUtf8().constData(), &hints, &found);
        if (resolved != 0)
            return QStringLiteral("%1: its name %2 does not resolve (%3)")
                .arg(target, host, QString::fromLocal8Bit(gai_strerror(resolved)));
        // The address checked is the one connected to, so that a second
        // look-up cannot lead the password elsewhere.
        std::optional<QString> refusal;
        if (!remote && !isLoopback(found->ai_addr)) {
            refusal =
                QStringLiteral("%1 is not a loopback address: the rcon password would cross the network "
                               "in clear; run kezcfg on the server's own machine, or give --remote")
                    .arg(target);
        } else {
            console.socket = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (console.socket < 0 || ::connect(console.socket, found->ai_addr, found->ai_addrlen) != 0)
                refusal = QStringLiteral("%1: no socket for port %2 (%3)").arg(target, port, systemError(errno));
        }
        ::freeaddrinfo(found);
        if (refusal)
            return refusal;
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
        if (::send(progress.console->socket, datagram.constData(), size_t(datagram.size()), 0) !=
            datagram.size())
            progress.console->error = QStringLiteral("the command could not be sent (%1)").arg(systemError(errno));
    };
    QByteArray datagram(consoleDatagram, Qt::Uninitialized);
    std::vector<Progress> running;
    for (Console &console : m_consoles) {
        if (console.skipped)
            continue;
        console.answers.clear();
        console.error.clear(); // each run is asked afresh
        console.refused = false;
        if (console.socket >= 0 && !commands.isEmpty()) {
            // A late answer to an earlier command would be taken for this one's.
            for (int stale = 0; stale < consoleStaleDatagrams; ++stale) {
                if (::recv(console.socket, datagram.data(), size_t(datagram.size()), MSG_TRUNC) < 0)
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
                polled.push_back({progress.console->socket, POLLIN, 0});
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
            const ssize_t size = ::recv(console.socket, datagram.data(), size_t(datagram.size()), MSG_TRUNC);
            if (size < 0) {
                if (errno == ECONNREFUSED)
                    console.error = QStringLiteral("nothing listens on port %1").arg(console.port);
                else if (errno != EAGAIN && errno != EINTR)
                    console.error = systemError(errno);
                continue;
            }
            ++progress.heard;
            ++console.heard;
            const std::optional<QStringList> lines =
                size > datagram.size() ? std::nullopt : parseConsoleAnswer(datagram.left(size));
            if (!lines) {
                if (++progress.strays > consoleStrayDatagrams)
                    console.error = QStringLiteral("it sent more than %1 datagrams that answer nothing")
                                        .arg(consoleStrayDatagrams);
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
    for (Progress &progress : running) {
        if (waiting(progress))
            progress.console->error =
                progress.next == 0 && progress.heard == 0
                    ? QStringLiteral("its console did not answer \"%1\" within %2 s")
                          .arg(commands[progress.next])
                          .arg(call.seconds)
                    : QStringLiteral("its console answered %1 of %2 commands within %3 s (%4 datagrams), "
                                     "not yet \"%5\"")
                          .arg(progress.next)
                          .arg(commands.size())
                          .arg(call.seconds)
                          .arg(progress.heard)
                          .arg(commands[progress.next]);
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
