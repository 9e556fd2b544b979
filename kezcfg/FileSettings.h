// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QHash>
#include <QStringList>
#include <optional>

// The settings of a folder's server.cfg that a running server holds as
// variables, for comparing the one with the other.
struct FileSetting
{
    QString value;
    int line;
    QString variable; // as the line writes it: the console tells "ServerAdmin" from "serveradmin"
};

// By variable in lower case: the value of the last line that sets each, and
// that line's number. The rcon password is among them.
QHash<QString, FileSetting> settingsOf(const QStringList &lines);

// Whether two values are the same number, as "40" and "40.0" are to the game.
bool sameNumber(const QString &a, const QString &b);

// Whether a server that ran server.cfg's fileValue for variable holds
// running: the same text or number, or what the game server makes of the
// value. In deathmatch it runs maxclients 1 or less as 8 and more than 256
// as 256; it holds every setting as a 32-bit float, so a flag mask is
// compared as the game reads it (33554434 runs as 33554432).
bool runsAs(QStringView variable, const QString &running, const QString &fileValue);

// What a server announces of its own for a setting that server.cfg does not
// set, as it starts on that file: the value, and why, for each announced
// variable (in lower case) that the form or a kept line decides. None for a
// file that runs other text (exec, vstr, alias), which may set them unseen.
struct StartingValue
{
    QString value;
    QString reason; // "server.cfg sets no join password (set password)"
};
QHash<QString, StartingValue> startingValues(const QStringList &lines,
                                             const QHash<QString, FileSetting> &file);

// Why password cannot be sent as the console holds it, if it cannot.
std::optional<QString> rconPasswordFault(const QString &password);

// The variable of every setting of file that a console can print, in the
// order of file's lines (the rcon password is known to match once it is taken).
QStringList consoleVariables(const QHash<QString, FileSetting> &file);

// The rcon password of the previous configuration (server.cfg~ beside
// server.cfg in the current folder, read as server.cfg is), which a running
// server may still have; empty without one that can be sent.
QString previousRconPassword();
