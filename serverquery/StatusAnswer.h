// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

// What a game server announces in answer to the out-of-band status query
// (four 0xFF bytes and "status\n"): four 0xFF bytes, "print\n", the info
// string "\key\value\key\value..." and a line end, then a line per player,
// "score ping \"name\"". Answers come from the network: every text is kept
// printable (other bytes become \xNN), and whatever does not parse is
// noted, never trusted.
struct StatusAnswer
{
    struct Player
    {
        int score;
        int ping;
        QString name;
    };
    QList<std::pair<QString, QString>> info; // in the order announced
    QList<Player> players;
    QStringList problems; // what was wrong with the answer, as phrases

    // The value of key, letter case ignored as the game ignores it.
    std::optional<QString> value(QStringView key) const;
    // An answer without one setting ("print" alone, or an info string that
    // does not parse) shows that the server is there, and nothing else.
    bool holdsSettings() const { return !info.isEmpty(); }
};

// The status query, as sent.
QByteArray statusQuery();

// Nothing when the datagram is no status answer at all.
std::optional<StatusAnswer> parseStatusAnswer(const QByteArray &datagram);

// What a server's remote console printed in answer to "rcon PASSWORD
// COMMAND" (the same "print\n" header as a status answer, then the printed
// text): one entry per line, each kept printable as status answers are.
// Nothing when the datagram is no print answer at all.
std::optional<QStringList> parseConsoleAnswer(const QByteArray &datagram);

// The value in the console's line for a variable, "\"fraglimit\" is \"40\"";
// nothing when line is not that variable's.
std::optional<QString> consoleValue(QStringView line, QStringView variable);
