// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/ServerSocket.h"

#include "files/SystemErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <sys/socket.h>

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

ServerSocket connectToServer(const QString &host, const QString &port, bool loopbackOnly)
{
    ServerSocket server;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *list = nullptr;
    const int resolved = ::getaddrinfo(host.toUtf8().constData(), port.toUtf8().constData(), &hints, &list);
    if (resolved != 0) {
        server.fault = ServerSocket::Fault::Unresolved;
        server.reason = QStringLiteral("its name %1 does not resolve (%2)")
                            .arg(host, QString::fromLocal8Bit(gai_strerror(resolved)));
        return server;
    }
    const std::unique_ptr<addrinfo, void (*)(addrinfo *)> found(list, ::freeaddrinfo);
    if (loopbackOnly && !isLoopback(found->ai_addr)) {
        server.fault = ServerSocket::Fault::NotLoopback;
        return server;
    }
    server.socket = UniqueFd(::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (server.socket.get() < 0 || ::connect(server.socket.get(), found->ai_addr, found->ai_addrlen) != 0) {
        server.fault = ServerSocket::Fault::NoSocket;
        server.reason = systemError(errno);
        server.socket.reset();
    }
    return server;
}

std::optional<QString> sendDatagram(const UniqueFd &socket, const QByteArray &datagram)
{
    if (::send(socket.get(), datagram.constData(), size_t(datagram.size()), 0) != datagram.size())
        return systemError(errno);
    return std::nullopt;
}

Received receiveDatagram(const UniqueFd &socket, QByteArray &buffer, const QString &port)
{
    Received received;
    received.size = ::recv(socket.get(), buffer.data(), size_t(buffer.size()), MSG_TRUNC);
    if (received.size < 0) {
        if (errno == ECONNREFUSED)
            received.error = QStringLiteral("nothing listens on port %1").arg(port);
        else if (errno != EAGAIN && errno != EINTR)
            received.error = systemError(errno);
    }
    return received;
}
