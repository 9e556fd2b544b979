// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/UniqueFd.h"
#include "serverquery/CallDeadline.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <optional>
#include <vector>

struct StatusAnswer;

// The game servers' remote console: the out-of-band datagram "rcon PASSWORD
// COMMAND", which the server answers with what its console printed, or with
// "Bad rcon_password.". The password crosses the network in clear, so only
// loopback addresses are taken unless the operator allows others.
//
// Answers come from the network: each server has a socket of its own
// connected to its address, each datagram is read up to a bound, and a
// server gets a bounded number of datagrams more than it was asked for
// before it is no longer listened to.
class RemoteConsoles
{
public:
    RemoteConsoles() = default;
    RemoteConsoles(const RemoteConsoles &) = delete;
    RemoteConsoles &operator=(const RemoteConsoles &) = delete;

    // Resolves every target and connects a socket to the address found,
    // sending nothing. The first target that is not taken (no server, a name
    // that does not resolve, an address other than loopback unless remote)
    // ends it with the reason.
    std::optional<QString> open(const QStringList &targets, bool remote);

    // Runs commands on every console, one after the
    // other on each and on all consoles at once, until every answer is in or
    // until has passed. A refused password, an unanswered command or a port
    // where nothing listens becomes the console's error; what was left over
    // from an earlier run is thrown away first.
    void run(const QString &password, const QStringList &commands, const QDeadlineTimer &until,
             const CallDeadline &call);
    // The same on the consoles at indices alone; the others keep what they had.
    void runOn(const QList<qsizetype> &indices, const QString &password, const QStringList &commands,
               const QDeadlineTimer &until, const CallDeadline &call);
    // Whether the console at index answered the last run "Bad rcon_password.".
    bool refusedPassword(qsizetype index) const { return m_consoles[index].refused; }

    // What the console of the server at index printed for each command of
    // the last run, line by line, and why it is short of some (empty: it is
    // not).
    const QList<QStringList> &answers(qsizetype index) const { return m_consoles[index].answers; }
    const QString &error(qsizetype index) const { return m_consoles[index].error; }
    const QString &name(qsizetype index) const { return m_consoles[index].name; }
    // Whether the console at index has sent anything since it was opened.
    bool heardFrom(qsizetype index) const { return m_consoles[index].heard > 0; }
    qsizetype size() const { return qsizetype(m_consoles.size()); }

    // Asks each console for the value of each of variables, in that order.
    void askSettings(const QString &password, const QStringList &variables, const CallDeadline &call);
    // Asks the consoles at indices the same again, with another password.
    void askAgain(const QString &otherPassword, const QList<qsizetype> &indices, const CallDeadline &call)
    {
        runOn(indices, otherPassword, m_asked, call.timer, call);
    }
    // Lays what the console at index printed in the last askSettings over
    // answer's info, so that what compares answer with file sees every
    // setting; a console that failed leaves no answer, and its error.
    void addSettings(qsizetype index, std::optional<StatusAnswer> &answer, QString &error) const;

private:
    struct Console
    {
        QString name;
        QString port;
        UniqueFd socket;
        QString error;
        QList<QStringList> answers;
        qint64 heard = 0; // datagrams received, over every run
        bool refused = false;
        bool skipped = false; // left out of the current run
    };
    std::vector<Console> m_consoles;
    QStringList m_asked; // the variables of the last askSettings
};
