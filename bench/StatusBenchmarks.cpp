// SPDX-License-Identifier: GPL-2.0-or-later
#include "StatusBenchmarks.h"
#include "Measure.h"
#include "Statistics.h"

#include <QProcess>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int serverCount = 200;

// UDP sockets on loopback that answer every datagram with a status answer,
// until stopped.
class StandIns
{
public:
    StandIns()
    {
        for (int i = 0; i < serverCount; ++i) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            socklen_t length = sizeof address;
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
            m_fds.push_back({fd, POLLIN, 0});
            m_addresses.append(QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port)));
        }
        m_thread = std::thread([this] { answer(); });
    }
    ~StandIns()
    {
        m_stop = true;
        m_thread.join();
        for (const pollfd &fd : m_fds)
            ::close(fd.fd);
    }
    const QStringList &addresses() const { return m_addresses; }

private:
    void answer()
    {
        const QByteArray reply("\xff\xff\xff\xffprint\n\\hostname\\Stand-in\\mapname\\q2dm1\\maxclients\\16\n"
                               "12 40 \"player\"\n");
        char buffer[2048];
        while (!m_stop) {
            if (::poll(m_fds.data(), m_fds.size(), 50) <= 0)
                continue;
            for (pollfd &fd : m_fds) {
                if (!(fd.revents & POLLIN))
                    continue;
                sockaddr_in from = {};
                socklen_t length = sizeof from;
                while (::recvfrom(fd.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from),
                                  &length) > 0)
                    ::sendto(fd.fd, reply.constData(), size_t(reply.size()), 0,
                             reinterpret_cast<sockaddr *>(&from), length);
            }
        }
    }

    std::vector<pollfd> m_fds;
    QStringList m_addresses;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

void status(const QStringList &servers)
{
    QProcess kezcfg;
    kezcfg.start(QStringLiteral(KEZCFG), QStringList{QStringLiteral("status")} + servers);
    kezcfg.waitForFinished(30000);
}

} // namespace

std::vector<BenchmarkRow> runStatusBenchmarks(int runs)
{
    const StandIns standIns;
    BenchmarkRow many{QStringLiteral("kezcfg status, 200 servers on loopback"),
                      {},
                      QStringLiteral("ms"),
                      QStringLiteral("kezcfg status, one of them"),
                      {},
                      QStringLiteral("<= 2 x and +50 ms"),
                      true};
    for (int i = 0; i < runs; ++i) {
        many.values.push_back(millisecondsOf([&] { status(standIns.addresses()); }));
        many.referenceValues.push_back(millisecondsOf([&] { status({standIns.addresses().first()}); }));
    }
    const double all = median(many.values);
    const double one = median(many.referenceValues);
    many.meetsAim = all <= 2 * one && all <= one + 50;
    return {many};
}
