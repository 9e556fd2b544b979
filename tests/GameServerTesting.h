// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Real game servers for tests: game folders that kezcfg apply wrote, the
// dedicated server of the shared engine folder started on them (loopback
// ports of the test's choosing), kezcfg run on them, and a raw UDP socket
// for what kezcfg must not be trusted to say itself.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace GameServerTesting {

const QString engine = QStringLiteral(KEZ_ENGINE_DIR);

struct Run
{
    int status;
    QString output;
};

inline Run kezcfg(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(KEZCFG), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

// A loopback UDP socket on port: silent, or asking a server's console.
class Socket
{
public:
    explicit Socket(int port, bool bind)
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const auto *at = reinterpret_cast<const sockaddr *>(&address);
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        m_ok = (bind ? ::bind(m_fd, at, sizeof address) : ::connect(m_fd, at, sizeof address)) == 0;
    }
    ~Socket() { ::close(m_fd); }
    bool ok() const { return m_ok; }
    // The datagram that answers text, or nothing within two seconds.
    QByteArray ask(const QByteArray &text) const
    {
        const QByteArray datagram = "\xff\xff\xff\xff" + text + '\n';
        ::send(m_fd, datagram.constData(), size_t(datagram.size()), 0);
        pollfd waiting{m_fd, POLLIN, 0};
        if (::poll(&waiting, 1, 2000) != 1)
            return {};
        QByteArray answer(65536, '\0');
        answer.resize(qMax<ssize_t>(0, ::recv(m_fd, answer.data(), size_t(answer.size()), 0)));
        return answer;
    }

private:
    int m_fd;
    bool m_ok;
};

// A game folder whose kez/server.cfg kezcfg apply wrote from json.
class GameTree
{
public:
    explicit GameTree(const QByteArray &json)
    {
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755); // the server runs as nobody under root
        QDir().mkpath(m_dir.filePath("data/baseq2/maps"));
        QDir().mkpath(modFolder());
        QProcess::execute(engine + "/make-map", {m_dir.filePath("data/baseq2/maps/q2dm1.bsp")});
        apply(json);
    }
    QString modFolder() const { return m_dir.filePath("data/kez"); }
    QString data() const { return m_dir.filePath("data"); }
    int apply(const QByteArray &json, const QStringList &options = {}) const
    {
        return kezcfg(QStringList{"apply"} + options + QStringList{modFolder(), "-"}, json).status;
    }

private:
    QTemporaryDir m_dir;
};

// A dedicated server on port, ended when this goes.
class GameServer
{
public:
    GameServer(const GameTree &tree, int port) : m_port(port)
    {
        m_process.start(engine + "/run-server", {tree.data(), "+set", "game", "kez", "+set", "port",
                                                 QString::number(port), "+exec", "server.cfg"});
    }
    ~GameServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    qint64 processId() const { return m_process.state() == QProcess::Running ? m_process.processId() : 0; }
    // Up to twenty seconds for the server to answer.
    bool answers() const
    {
        for (int i = 0; i < 80; ++i) {
            if (kezcfg({"status", "--timeout", "0.25", address()}).status == 0)
                return true;
            QTest::qWait(250); // "nothing listens" comes back at once
        }
        return false;
    }
    // What the server's console prints for command.
    QByteArray console(const QByteArray &password, const QByteArray &command) const
    {
        return Socket(m_port, false).ask("rcon " + password + ' ' + command);
    }

private:
    int m_port;
    QProcess m_process;
};

} // namespace GameServerTesting
