// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text from outside the program (a file, an archive, a datagram, standard
// input, the command line) on its way to a terminal. Every line kezcfg
// prints passes here, so that no byte of it can move the cursor, retitle the
// window or end the message early.

// Whether c is a control character: C0 (tab and newline included), DEL or C1.
constexpr bool isControlCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0);
}

// Every control character as \xNN, everything else as it is. Printable
// text comes back unchanged, and so does text once made printable.
QString printable(QStringView text);
// printable(text), and a backslash before each backslash and double quote of
// text: for text shown between double quotes.
QString printableBetweenQuotes(QStringView text);
// Bytes of no known encoding, as a datagram brings them: printable ASCII as
// it is, every other byte as \xNN.
QString printable(QByteArrayView bytes);
// text made printable and cut after limit characters, with the number of
// bytes (of text as UTF-8) left out: for quoting what came from outside.
QString printableCut(QStringView text, qsizetype limit);
// Bytes of one line that should be UTF-8 (the lines of a diff): as text where
// they are valid UTF-8, else byte by byte.
QString printableLine(QByteArrayView bytes);
// Lines as printableLine makes each, each ending in a line feed as before.
QByteArray printableLines(QByteArrayView bytes);

// A JSON document as written for a terminal: the same values, with the
// control characters that JSON allows raw (DEL and C1) escaped as \u00NN
// too, so that it reads back to the very same document.
QByteArray printableJson(const QByteArray &json);
