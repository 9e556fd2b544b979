// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// HOST, HOST:PORT, [IPv6] or [IPv6]:PORT, with the game's port 27910 unless
// given; false when target is none of these.
bool splitServerTarget(const QString &target, QString &host, QString &port);

// A game server's own socket: a datagram socket connected to the address its
// name resolves to, so that only what that address sends is received.
struct ServerSocket
{
    enum class Fault {
        None,
        Unresolved,  // reason: "its name HOST does not resolve (WHY)"
        NotLoopback, // refused before any socket was made
        NoSocket,    // reason: why socket() or connect() failed
    };
    UniqueFd socket; // open when fault is None
    Fault fault = Fault::None;
    QString reason;
};

// Resolves host and port and connects a non-blocking socket to the first
// address found; with loopbackOnly, an address other than loopback is refused.
// The address checked is the one connected to, so that a second look-up
// cannot lead what is sent elsewhere.
ServerSocket connectToServer(const QString &host, const QString &port, bool loopbackOnly);

// Sends datagram whole; the reason it could not, if it could not.
std::optional<QString> sendDatagram(const UniqueFd &socket, const QByteArray &datagram);

// One datagram read from socket into buffer, at most buffer's size of it.
struct Received
{
    // The datagram's full length, more than buffer holds when it was cut;
    // negative when none was read.
    ssize_t size = -1;
    // Why none can be read: empty when there was only none ready yet.
    QString error;
};
Received receiveDatagram(const UniqueFd &socket, QByteArray &buffer, const QString &port);
