// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QHash>
#include <QStringList>

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
