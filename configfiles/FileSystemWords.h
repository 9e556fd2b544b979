// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Why a file could not be written, in words for the case where the system's
// own mislead: in a folder deleted while the program works in it, the system
// answers "Operation not permitted" or "No such file or directory" for every
// file, which sends an operator looking at permissions. path: the file;
// systemReason: what the system said, given back where it fits the case.
QString fileErrorInPlainWords(const QByteArray &path, const QString &systemReason);
