// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg reload: running servers run their server.cfg again through the
// game's remote console, and are then compared with it as status --rcon
// --against does. A configuration in which check finds an error is never
// sent.
#include "Commands.h"

#include "FileSettings.h"
#include "serverquery/RemoteConsole.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ServerForm.h"
#include "files/RegularFileReading.h"
#include "serverquery/StatusAnswer.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

// Whether every console printed what server.cfg sets, and runs its map. A
// console reached with the previous password takes the new one when it runs
// the file: until then it refuses it.
bool runsTheFile(const RemoteConsoles &consoles, const QStringList &asked, const QStringList &expected,
                 const QList<qsizetype> &switching)
{
    for (qsizetype index = 0; index < consoles.size(); ++index) {
        if (consoles.refusedPassword(index) && switching.contains(index))
            return false;
        if (!consoles.error(index).isEmpty())
            return true; // nothing more to wait for: status tells
        const QList<QStringList> &answers = consoles.answers(index);
        for (qsizetype i = 0; i < asked.size(); ++i) {
            const std::optional<QString> value = consoleValue(answers.value(i).value(0), asked[i]);
            if (!value || !runsAs(asked[i], *value, expected[i]))
                return false;
        }
    }
    return true;
}

} // namespace

namespace Commands {

int reload(const ReloadOptions &options)
{
    const bool checkOnly = options.check;
    const double timeout = options.timeout;
    // check and status each go into the folder: both get the same one.
    const QString folder = QDir(options.folder).absolutePath();
    const QStringList &targets = options.targets;

    // --timeout bounds the whole call; the last quarter of it is kept for
    // the comparison that ends it, however long the servers take before.
    const CallDeadline deadline(timeout);
    const qint64 reserveMs = qint64(timeout * 1000) / 4;

    // check prints its lines; an error among them ends it here, unless only
    // the comparison is asked for, which sends nothing that could harm.
    const int checked = check(CheckOptions{folder});
    if (checked == 2 && !checkOnly)
        return failure(QStringLiteral("check finds an error in %1, so nothing was sent").arg(folder));

    ServerForm form;
    readConfiguration(form);
    const QString password = form.values.text(TextControl::RconPassword);
    if (const std::optional<QString> fault = rconPasswordFault(password))
        return failure(QStringLiteral("%1: %2; nothing was sent").arg(folder, *fault));
    const RegularFileRead config = readRegularFile(QStringLiteral("server.cfg"), serverCfgSizeLimit);
    if (config.outcome != RegularFileRead::Outcome::Read)
        return failure(QStringLiteral("cannot read server.cfg in %1: %2").arg(folder, config.reason));
    QHash<QString, FileSetting> file =
        settingsOf(ConfigurationLines::splitLines(QString::fromUtf8(config.bytes)));

    RemoteConsoles consoles;
    if (const std::optional<QString> refusal = consoles.open(targets, options.remote))
        return failure(*refusal + QStringLiteral("; nothing was sent"));

    // Compared as status --rcon --against the folder.
    StatusOptions status;
    status.rcon = true;
    status.remote = options.remote;
    status.timeout = timeout;
    status.against = folder;
    status.targets = targets;
    if (checkOnly)
        return Commands::status(status, &deadline, &consoles);

    const QStringList exec = {QStringLiteral("exec server.cfg")};
    consoles.run(password, exec, deadline.before(reserveMs), deadline);
    // A server that refuses the folder's password may still run the one of
    // the configuration before (an rcon password changed by apply): the file
    // is sent with that one, and the new one is verified below.
    QList<qsizetype> switching;
    for (qsizetype i = 0; i < consoles.size(); ++i) {
        if (consoles.refusedPassword(i))
            switching.append(i);
    }
    const QString previous = switching.isEmpty() ? QString() : previousRconPassword();
    if (!previous.isEmpty() && previous != password)
        consoles.runOn(switching, previous, exec, deadline.before(reserveMs), deadline);
    else
        switching.clear();
    bool failed = false;
    for (qsizetype i = 0; i < consoles.size(); ++i) {
        const QStringList printed = consoles.answers(i).value(0);
        if (consoles.error(i).isEmpty() && !printed.contains(QStringLiteral("execing server.cfg."))) {
            failure(QStringLiteral("%1: its console did not run server.cfg; it printed \"%2\"")
                        .arg(consoles.name(i), printableCut(printed.join(QStringLiteral("\\n")),
                                                            InputBounds::quotedOutsideText)));
            failed = true;
        } else if (!consoles.error(i).isEmpty()) {
            failure(QStringLiteral("%1: %2").arg(consoles.name(i), consoles.error(i)));
            failed = true;
        } else if (switching.contains(i)) {
            printOut(printable(consoles.name(i)) +
                     QStringLiteral(": runs server.cfg again, sent with the rcon password of the previous "
                                    "configuration (server.cfg~), which the server still had\n"));
        } else {
            printOut(printable(consoles.name(i)) + QStringLiteral(": runs server.cfg again\n"));
        }
    }
    // Seen before the wait below, also where standard output is a pipe.
    std::fflush(stdout);
    if (failed)
        return 2;

    // The server runs the file's commands in its next frame, after the
    // answer: the settings are asked until they are the file's (a map
    // takes a moment to load) or the time is up; status then tells.
    QStringList asked;
    QStringList expected;
    file.remove(QStringLiteral("rcon_password"));
    for (auto it = file.cbegin(); it != file.cend(); ++it) {
        asked.append(it->variable);
        expected.append(it->value);
    }
    if (const QString &map = form.values.text(TextControl::StartingMap); !map.isEmpty()) {
        asked.append(QStringLiteral("mapname"));
        expected.append(map);
    }
    const QDeadlineTimer waitUntil = deadline.before(reserveMs);
    for (;;) {
        consoles.run(password, asked, waitUntil, deadline);
        if (runsTheFile(consoles, asked, expected, switching) || waitUntil.hasExpired())
            break;
        QThread::msleep(std::clamp<qint64>(waitUntil.remainingTime(), 0, 100));
    }
    return Commands::status(status, &deadline, &consoles);
}

} // namespace Commands
