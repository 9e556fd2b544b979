// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg status: what running game servers announce, and where that differs
// from a folder's server.cfg. Sends nothing but the status query.
#include "Commands.h"

#include "FileSettings.h"
#include "flags/FamilyNames.h"
#include "serverquery/RemoteConsole.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ServerForm.h"
#include "files/RegularFileReading.h"
#include "serverquery/StatusAnswer.h"
#include "serverquery/StatusQuery.h"
#include "text/DecimalText.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

namespace {

// A server is its status query, and what differs from the folder's files.
struct Server : StatusQuery
{
    QStringList differences;
};

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
                           .arg(it.key(), *announced, QString::number(it->line), it->value);
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

QString textOf(const Server &server)
{
    if (!server.answer)
        return QString(); // said once, on standard error
    const StatusAnswer &answer = *server.answer;
    // The answer's own text is printable from the parsing; the rest is made so here.
    QString text = QStringLiteral("%1: %2, map %3, %4 of %5 players\n")
                       .arg(printable(server.name), answer.value(u"hostname").value_or(QString()),
                            answer.value(u"mapname").value_or(QStringLiteral("?")),
                            QString::number(answer.players.size()),
                            answer.value(u"maxclients").value_or(QStringLiteral("?")));
    for (const StatusAnswer::Player &player : answer.players)
        text += QStringLiteral("  player %1  score %2  ping %3\n")
                    .arg(player.name, QString::number(player.score), QString::number(player.ping));
    for (const auto &[key, value] : answer.info) {
        QString shown = value;
        if (const std::optional<std::size_t> family = familyOfVariable(key)) {
            const QStringList flags =
                flagNamesIn(buildCatalogue(*FlagTables::families[*family]), qint32(value.toDouble()));
            if (!flags.isEmpty())
                shown += QStringLiteral(" = ") + flags.join(QStringLiteral(", "));
        }
        text += QStringLiteral("  ") + key + QStringLiteral(": ") + shown + u'\n';
    }
    for (const QString &problem : answer.problems)
        text += QStringLiteral("  problem: ") + problem + u'\n';
    for (const QString &difference : server.differences)
        text += QStringLiteral("  differs: ") + printable(difference) + u'\n';
    return text;
}

} // namespace

namespace Commands {

int status(const StatusOptions &options, const CallDeadline *given, RemoteConsoles *opened)
{
    const bool json = options.json;
    const bool rcon = options.rcon;
    const bool remote = options.remote;
    const double timeout = options.timeout;
    const QString &against = options.against;
    const QStringList &targets = options.targets;
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

    std::vector<Server> servers(std::size_t(targets.size()));
    std::vector<StatusQuery *> queries;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        if (!servers[std::size_t(i)].setTarget(targets[i]))
            return failure(
                QStringLiteral("\"%1\" is no server: give HOST, HOST:PORT or [IPv6]:PORT").arg(targets[i]));
        queries.push_back(&servers[std::size_t(i)]);
    }
    // The console is asked while the status answers are on their way, so
    // that both share the one deadline.
    for (Server &server : servers)
        server.send();
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
    receiveStatusAnswers(queries, deadline);
    if (rcon) {
        for (qsizetype i = 0; i < targets.size(); ++i) {
            Server &server = servers[std::size_t(i)];
            // The server is there, whatever became of the query.
            if (!server.answer && consoles.heardFrom(i) && server.error.startsWith(u"no answer"))
                server.error = QStringLiteral("its console answered, but its status query was not "
                                              "answered within %1 s")
                                   .arg(deadline.seconds);
            consoles.addSettings(i, server.answer, server.error);
            // A reload delivers the new password with the old one.
            if (server.answer && onPrevious.contains(i) && !consoles.refusedPassword(i))
                server.differences.append(
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

    if (json) {
        QJsonArray list;
        for (const Server &server : servers)
            list.append(toJson(server));
        printOut(printableJson(QJsonDocument(list).toJson(QJsonDocument::Indented)));
    } else {
        for (const Server &server : servers)
            printOut(textOf(server));
    }
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
