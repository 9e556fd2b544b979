// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// Runs File / Open on a main window in its start-up state, with server.cfg
// and maplist.txt made from one input: a byte whose lowest bit says whether
// maplist.txt exists, the length of server.cfg as four bytes, least
// significant first, then server.cfg and, after it, maplist.txt. An input of
// fewer than five bytes is server.cfg alone. Aborts when the form breaks one
// of its invariants afterwards.
void openAndCheck(const uint8_t *data, size_t size);

// Runs the line rules of server.cfg alone on one input taken as a file's
// text, and aborts when a rule breaks one of its promises.
void checkLineRules(const uint8_t *data, size_t size);

// Reads one input as a .pak and as a zip archive, and aborts when a reader
// reports more maps than the input can hold or a map without a name.
void checkArchives(const uint8_t *data, size_t size);

// Parses one input as a game server's status answer, and aborts when a text
// of it holds a character that is not printable ASCII.
void checkStatusAnswer(const uint8_t *data, size_t size);

// Reads one input as kezcfg apply's JSON, the rotation plainly where it can,
// and aborts when that reading disagrees with the JSON reader's.
void checkPlainRotation(const uint8_t *data, size_t size);

// Checks kezcfg apply's input as it checks it before taking any value (keys
// given twice, lone surrogates, the message of the day's characters) against
// the JSON reader, and the output of the document through the printable
// writer, and aborts where they disagree.
void checkApplyInput(const uint8_t *data, size_t size);
