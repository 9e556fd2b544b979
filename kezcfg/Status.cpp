// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg status: what running game servers announce, and where that differs
// from a folder's server.cfg. Sends nothing but the status query.
#include "Commands.h"

#include "flags/FamilyNames.h"
#include "FileSettings.h"
#include "serverquery/RemoteConsole.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ServerForm.h"
#include "files/RegularFileReading.h"
#include "files/SystemErrors.h"
#include "serverquery/StatusAnswer.h"
#include "text/DecimalText.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Server
{
    QString name; // as given
    QString host;
    QString port;
    int socket = -1;
    QString error;     // why it has no answer
    qint64 strays = 0; // datagrams that were no status answer
    std::optional<StatusAnswer> answer;
    QStringList differences;
};

bool splitTarget(const QString &target, Server &server)
{
    server.name = target;
    return splitServerTarget(target, server.host, server.port);
}

// Resolves the server, and sends it the query from a socket connected to
// its address, so that only an answer from that address is received.
void sendQuery(Server &server)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    const int resolved =
        ::getaddrinfo(server.host.toUtf8().constData(), server.port.toUtf8().constData(), &hints, &found);
    if (resolved != 0) {
        server.error = QStringLiteral("its name %1 does not resolve (%2)")
                           .arg(server.host, QString::fromLocal8Bit(gai_strerror(resolved)));
        return;
    }
    server.socket = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const QByteArray query = statusQuery();
    if (server.socket < 0 || ::connect(server.socket, found->ai_addr, found->ai_addrlen) != 0 ||
        ::send(server.socket, query.constData(), size_t(query.size()), 0) != query.size()) {
        server.error = QStringLiteral("the query could not be sent to port %1 (%2)")
                           .arg(server.port, systemError(errno));
        if (server.socket >= 0)
            ::close(server.socket);
        server.socket = -1;
    }
    ::freeaddrinfo(found);
}

// Waits for every answer at once, until the deadline. What came before it
// is read even when the deadline has passed (the console may have been asked
// first), up to a bound, so that a flood cannot hold the call.
void receiveAnswers(QList<Server> &servers, const CallDeadline &deadline)
{
    QByteArray datagram(InputBounds::statusDatagram, Qt::Uninitialized);
    int lateReads = 0;
    for (;;) {
        std::vector<pollfd> waiting;
        std::vector<Server *> owners;
        for (Server &server : servers) {
            if (server.socket >= 0 && !server.answer && server.error.isEmpty()) {
                waiting.push_back({server.socket, POLLIN, 0});
                owners.push_back(&server);
            }
        }
        const qint64 left = qMax<qint64>(0, deadline.timer.remainingTime());
        if (waiting.empty() || (left == 0 && ++lateReads > consoleStaleDatagrams))
            break;
        const int ready = ::poll(waiting.data(), waiting.size(), int(left));
        if ((ready < 0 && errno != EINTR) || (ready == 0 && left == 0))
            break;
        for (size_t i = 0; i < waiting.size(); ++i) {
            if (!waiting[i].revents)
                continue;
            Server &server = *owners[i];
            const ssize_t size = ::recv(server.socket, datagram.data(), size_t(datagram.size()), MSG_TRUNC);
            if (size < 0) {
                if (errno == ECONNREFUSED)
                    server.error = QStringLiteral("nothing listens on port %1").arg(server.port);
                else if (errno != EAGAIN && errno != EINTR)
                    server.error = systemError(errno);
                continue;
            }
            std::optional<StatusAnswer> answer =
                parseStatusAnswer(datagram.left(qMin<qsizetype>(size, datagram.size())));
            if (!answer) {
                ++server.strays;
                continue; // not a status answer: keep waiting for one
            }
            if (size > datagram.size())
                answer->problems.append(
                    QStringLiteral("the answer was longer than a datagram holds and was cut"));
            server.answer = std::move(answer);
        }
    }
    for (Server &server : servers) {
        if (!server.answer && server.error.isEmpty())
            server.error = server.strays == 0
                               ? QStringLiteral("no answer within %1 s").arg(deadline.seconds)
                               : QStringLiteral("%1 datagrams within %2 s, none of them a status answer")
                                     .arg(server.strays)
                                     .arg(deadline.seconds);
        if (server.socket >= 0)
            ::close(server.socket);
    }
}

void compare(Server &server, const QHash<QString, FileSetting> &file,
             const QHash<QString, StartingValue> &starting, const ServerForm &form)
{
    const StatusAnswer &answer = *server.answer;
    // What the server announces that the file leaves to the server.
    for (auto it = starting.cbegin(); it != starting.cend(); ++it) {
        const std::optional<QString> announced = answer.value(it.key());
        if (announced && !file.contains(it.key()) && !runsAs(it.key(), *announced, it->value))
            server.differences.append(
                QStringLiteral("%1: the server has \"%2\", but %3: a server started on it has \"%4\"")
                    .arg(it.key(), *announced, it->reason, it->value));
    }
    for (auto it = file.cbegin(); it != file.cend(); ++it) {
        const std::optional<QString> announced = answer.value(it.key());
        if (!announced || runsAs(it.key(), *announced, it->value))
            continue;
        QString line = QStringLiteral("%1: the server has \"%2\", server.cfg line %3 has \"%4\"")
                           .arg(it.key(), *announced)
                           .arg(it->line)
                           .arg(it->value);
        if (const std::optional<std::size_t> family = familyOfVariable(it.key())) {
            const FlagCatalogue catalogue = buildCatalogue(*FlagTables::families[*family]);
            const QStringList running = flagNamesIn(catalogue, qint32(announced->toDouble()));
            const QStringList written = flagNamesIn(catalogue, parseDecimalInteger(it->value).value_or(0));
            QStringList onlyRunning;
            QStringList onlyWritten;
            for (const QString &flag : running)
                if (!written.contains(flag))
                    onlyRunning.append(flag);
            for (const QString &flag : written)
                if (!running.contains(flag))
                    onlyWritten.append(flag);
            line += QStringLiteral(" (only the server: %1; only server.cfg: %2)")
                        .arg(onlyRunning.isEmpty() ? QStringLiteral("none")
                                                   : onlyRunning.join(QStringLiteral(", ")),
                             onlyWritten.isEmpty() ? QStringLiteral("none")
                                                   : onlyWritten.join(QStringLiteral(", ")));
        }
        server.differences.append(line);
    }

    // The running map may differ from the starting map when the rotation has it.
    const std::optional<QString> map = answer.value(u"mapname");
    const QString &start = form.values.text(TextControl::StartingMap);
    const bool inRotation = map && form.values.mapList && form.values.maps.contains(*map);
    if (map && !start.isEmpty() && *map != start && !inRotation)
        server.differences.append(
            QStringLiteral(
                "mapname: the server runs \"%1\", which is neither server.cfg's starting map \"%2\" nor in "
                "its rotation")
                .arg(*map, start));
}

QJsonObject toJson(const Server &server)
{
    QJsonObject object{{QStringLiteral("server"), server.name},
                       {QStringLiteral("answered"), bool(server.answer)}};
    if (!server.error.isEmpty())
        object.insert(QStringLiteral("error"), server.error);
    if (server.answer) {
        QJsonObject info;
        for (const auto &[key, value] : server.answer->info)
            info.insert(key, value);
        QJsonArray players;
        for (const StatusAnswer::Player &player : server.answer->players)
            players.append(QJsonObject{{QStringLiteral("score"), player.score},
                                       {QStringLiteral("ping"), player.ping},
                                       {QStringLiteral("name"), player.name}});
        object.insert(QStringLiteral("info"), info);
        object.insert(QStringLiteral("players"), players);
        object.insert(QStringLiteral("problems"), QJsonArray::fromStringList(server.answer->problems));
    }
    object.insert(QStringLiteral("differences"), QJsonArray::fromStringList(server.differences));
    return object;
}

void printText(QTextStream &out, const Server &server)
{
    if (!server.answer)
        return; // said once, on standard error
    const StatusAnswer &answer = *server.answer;
    // The answer's own text is printable from the parsing; the rest is made so here.
    out << printable(server.name) << ": " << answer.value(u"hostname").value_or(QString()) << ", map "
        << answer.value(u"mapname").value_or(QStringLiteral("?")) << ", " << answer.players.size() << " of "
        << answer.value(u"maxclients").value_or(QStringLiteral("?")) << " players\n";
    for (const StatusAnswer::Player &player : answer.players)
        out << QStringLiteral("  player %1  score %2  ping %3\n")
                   .arg(player.name)
                   .arg(player.score)
                   .arg(player.ping);
    for (const auto &[key, value] : answer.info) {
        QString shown = value;
        if (const std::optional<std::size_t> family = familyOfVariable(key)) {
            const QStringList flags =
                flagNamesIn(buildCatalogue(*FlagTables::families[*family]), qint32(value.toDouble()));
            if (!flags.isEmpty())
                shown += QStringLiteral(" = ") + flags.join(QStringLiteral(", "));
        }
        out << "  " << key << ": " << shown << '\n';
    }
    for (const QString &problem : answer.problems)
        out << "  problem: " << problem << '\n';
    for (const QString &difference : server.differences)
        out << "  differs: " << printable(difference) << '\n';
}

} // namespace

namespace Commands {

int status(const QStringList &arguments)
{
    return status(arguments, nullptr, nullptr);
}

int status(const QStringList &arguments, const CallDeadline *given, RemoteConsoles *opened)
{
    bool json = false;
    bool rcon = false;
    bool remote = false;
    double timeout = 2.0;
    QString against;
    QStringList targets;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--json") {
            json = true;
        } else if (argument == u"--rcon") {
            rcon = true;
        } else if (argument == u"--remote") {
            remote = true;
        } else if (argument == u"--timeout" || argument == u"--against") {
            if (i + 1 >= arguments.size())
                return failure(QStringLiteral("%1 needs a value").arg(argument));
            const QString value = arguments[++i];
            if (argument == u"--against") {
                against = value;
                continue;
            }
            const std::optional<double> seconds =
                numberOption(argument, value, QStringLiteral("seconds"), InputBounds::timeoutMinimum,
                             InputBounds::timeoutMaximum);
            if (!seconds)
                return 2;
            timeout = *seconds;
        } else {
            targets.append(argument);
        }
    }
    if (targets.isEmpty())
        return failure(QStringLiteral("status takes at least one server, HOST[:PORT]"));
    if (rcon && against.isEmpty())
        return failure(QStringLiteral("--rcon needs --against DIR, whose rcon_password it sends"));
    // One deadline for the whole call: the query's answers and the console's.
    const CallDeadline deadline = given ? *given : CallDeadline(timeout);

    ServerForm form;
    QHash<QString, FileSetting> file;
    QHash<QString, StartingValue> starting;
    if (!against.isEmpty()) {
        if (const std::optional<int> refused = enterFolder(against))
            return *refused;
        const RegularFileRead config = readRegularFile(QStringLiteral("server.cfg"), serverCfgSizeLimit);
        if (config.outcome != RegularFileRead::Outcome::Read)
            return failure(QStringLiteral("cannot read server.cfg in %1: %2").arg(against, config.reason));
        const QStringList lines = ConfigurationLines::splitLines(QString::fromUtf8(config.bytes));
        file = settingsOf(lines);
        starting = startingValues(lines, file);
        readConfiguration(form);
    }
    // Every console is checked and connected before anything is sent.
    RemoteConsoles own;
    RemoteConsoles &consoles = opened ? *opened : own;
    const QString &password = form.values.text(TextControl::RconPassword);
    if (rcon) {
        if (std::optional<QString> refusal = rconPasswordFault(password))
            return failure(QStringLiteral("%1: %2").arg(against, *refusal));
        if (!opened) {
            if (std::optional<QString> refusal = consoles.open(targets, remote))
                return failure(*refusal);
        }
    }

    QList<Server> servers(targets.size());
    for (qsizetype i = 0; i < targets.size(); ++i) {
        if (!splitTarget(targets[i], servers[i]))
            return failure(
                QStringLiteral("\"%1\" is no server: give HOST, HOST:PORT or [IPv6]:PORT").arg(targets[i]));
    }
    // The console is asked while the status answers are on their way, so
    // that both share the one deadline.
    for (Server &server : servers)
        sendQuery(server);
    QList<qsizetype> onPrevious; // consoles that still have the previous configuration's password
    if (rcon) {
        consoles.askSettings(password, consoleVariables(file), deadline);
        for (qsizetype i = 0; i < consoles.size(); ++i) {
            if (consoles.refusedPassword(i))
                onPrevious.append(i);
        }
        const QString previous = onPrevious.isEmpty() ? QString() : previousRconPassword();
        if (!previous.isEmpty() && previous != password)
            consoles.askAgain(previous, onPrevious, deadline);
        else
            onPrevious.clear();
    }
    receiveAnswers(servers, deadline);
    if (rcon) {
        for (qsizetype i = 0; i < servers.size(); ++i) {
            // The server is there, whatever became of the query.
            if (!servers[i].answer && consoles.heardFrom(i) && servers[i].error.startsWith(u"no answer"))
                servers[i].error = QStringLiteral("its console answered, but its status query was not "
                                                  "answered within %1 s")
                                       .arg(deadline.seconds);
            consoles.addSettings(i, servers[i].answer, servers[i].error);
            // A reload delivers the new password with the old one.
            if (servers[i].answer && onPrevious.contains(i) && !consoles.refusedPassword(i))
                servers[i].differences.append(
                    QStringLiteral("rcon_password: the server has the one of the previous configuration "
                                   "(server.cfg~), not server.cfg's"));
        }
    }

    bool unanswered = false;
    bool uncompared = false;
    bool differs = false;
    for (Server &server : servers) {
        if (server.answer && !server.answer->holdsSettings())
            server.answer->problems.append(
                QStringLiteral("the answer holds no settings, so nothing is known of them"));
        if (server.answer && !against.isEmpty()) {
            if (server.answer->holdsSettings())
                compare(server, file, starting, form);
            else
                uncompared = true;
        }
        unanswered = unanswered || !server.answer;
        differs = differs || !server.differences.isEmpty();
    }

    QTextStream out(stdout);
    if (json) {
        QJsonArray list;
        for (const Server &server : servers)
            list.append(toJson(server));
        out << printableJson(QJsonDocument(list).toJson(QJsonDocument::Indented));
    } else {
        for (const Server &server : servers)
            printText(out, server);
    }
    out.flush();
    for (const Server &server : servers) {
        if (!server.answer)
            failure(QStringLiteral("%1: %2").arg(server.name, server.error));
        else if (!server.answer->holdsSettings() && !against.isEmpty())
            failure(QStringLiteral("%1: the answer holds no settings, so nothing was compared with %2")
                        .arg(server.name, against));
    }
    return unanswered || uncompared ? 2 : differs ? 1 : 0;
}

} // namespace Commands
