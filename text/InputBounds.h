// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What the programs take from outside at most, in one place. Past a bound a
// command stops with a message naming the input and the bound, and changes
// nothing.
namespace InputBounds {

// File / Open reads no more of either file than this, so that a huge file
// cannot freeze the window or exhaust its memory.
inline constexpr qint64 serverCfgSizeLimit = 1024 * 1024;
inline constexpr qint64 mapListSizeLimit = 256 * 1024 * 1024;
inline constexpr qint64 motdSizeLimit = 1024 * 1024;

// apply's JSON input, a file or standard input: as much as File / Open
// takes for a rotation, so that whatever the window can open can be applied.
// A regular file larger than this is refused before it is read; standard
// input and other streams are read in blocks and refused on the first byte
// past it.
inline constexpr qint64 applyInput = mapListSizeLimit;
inline constexpr qint64 applyReadBlock = 1024 * 1024;
// Of that, what is read with Qt's JSON reader, which holds up to twelve times
// what it reads (an object of millions of short keys): all but a rotation of
// plain names, which is read straight from the input's bytes. So that apply's
// peak resident size stays within three times applyInput whatever it is given.
inline constexpr qint64 jsonReaderInput = 32 * 1024 * 1024;
// Objects and lists inside one another, as deep as Qt's JSON reader takes.
inline constexpr int jsonNesting = 1024;

// A status answer: one UDP datagram at most; a longer one is cut and noted.
inline constexpr qsizetype statusDatagram = 65536;
// status --timeout, in seconds: the answers are waited for in milliseconds.
inline constexpr double timeoutMinimum = 0.001;
inline constexpr double timeoutMaximum = 600;
// What a server or a file printed, quoted in one message: this many
// characters, then how many bytes were left out, so that a flooding answer
// cannot fill a terminal or a log with one line.
inline constexpr qsizetype quotedOutsideText = 300;

// A game folder's maps/ is searched this deep and as far as this many files
// and folders, and each archive's directory as far as this many entries: a
// path of the game holds at most 64 characters, and the original game's maps
// number in the dozens. Past a bound, a problem names the file and the bound,
// and what came before it is kept.
inline constexpr int mapsWalkDepth = 32;
inline constexpr qsizetype mapsWalkEntries = qsizetype(1) << 20;
inline constexpr qint64 archiveEntries = qint64(1) << 20;

// "256 MiB", for messages.
QString sizeText(qint64 bytes);

} // namespace InputBounds
