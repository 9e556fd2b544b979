// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// Each stream has one path: everything kezcfg prints goes through these, as
// UTF-8 and through C's own buffer, so that nothing is buffered twice or
// comes out of order within a stream. Standard output is flushed before
// anything goes to standard error, so that where both reach one pipe or file
// (2>&1, a playbook's log) the lines stand in the order they were printed.
// Text from outside is made printable before it gets here.
void printOut(QStringView text);
void printOut(QByteArrayView bytes);
void printErr(QStringView text);
void printErr(QByteArrayView bytes);

// Writes "kezcfg: " and message, made printable, as one line on standard
// error.
void notice(const QString &message);
// notice(message), and returns 2, the exit status of an error.
int failure(const QString &message);
