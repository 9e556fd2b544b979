// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <optional>

// The bytes of kezcfg apply's input, checked before they are trusted.

// Up to limit bytes from a stream, in blocks: none when it holds more, so
// that /dev/zero or an endless pipe costs at most the limit.
std::optional<QByteArray> readAtMost(QIODevice &stream, qint64 limit);

// What JSON readers disagree on or quietly change, in an input that reads as
// JSON: a key given twice in one object (one reader keeps the first, another
// the last) and an escaped lone surrogate (which is no character, and is
// written as '?'). A phrase naming the key, or nothing.
std::optional<QString> jsonInputFault(QByteArrayView json);

// What the game's console reading motd.txt would not take: a control
// character other than tab and line feed, or a character that is none. A
// phrase naming the line, or nothing.
std::optional<QString> messageOfTheDayFault(QStringView message);
