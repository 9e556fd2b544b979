// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <chrono>

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

// What a game server sends, a status answer or what its console printed, is
// read one UDP datagram at a time, up to this many bytes; a longer status
// answer is cut and noted, a longer console answer taken for none.
inline constexpr qsizetype serverDatagram = 65536;
// A remote console gets at most this many datagrams more than it was asked
// for (a flood, answers to nothing) before it is no longer listened to.
inline constexpr int consoleStrayDatagrams = 16;
// Datagrams read without being waited for, at most: what an earlier command
// left over, thrown away before the next command is sent, and what is
// already there once a call's deadline has passed.
inline constexpr int staleDatagrams = 1024;
// A player line of a status answer that does not parse, quoted in its
// problem: this many bytes of it.
inline constexpr qsizetype quotedPlayerLine = 80;
// status --timeout, in seconds: the answers are waited for in milliseconds.
inline constexpr double timeoutMinimum = 0.001;
inline constexpr double timeoutMaximum = 600;
// apply --wait: how long apply waits at most for another writer of the folder.
inline constexpr std::chrono::seconds lockWaitMaximum = std::chrono::hours(24);
// What a server or a file printed, quoted in one message: this many
// characters, then how many bytes were left out, so that a flooding answer
// cannot fill a terminal or a log with one line.
inline constexpr qsizetype quotedOutsideText = 300;

// A line of a file quoted in a diagnostic: this many characters of it.
inline constexpr qsizetype quotedFileLine = 200;
// The journal of an interrupted save names three files; anything longer is
// not one of ours and is left untouched.
inline constexpr qint64 journalSize = 64 * 1024;
// Links followed one after another on the way to one name, as many as the
// kernel follows.
inline constexpr int linksInARow = 40;
// What is read of a lock file that another process left, and of the host
// it names.
inline constexpr qsizetype lockFileRead = 1024;
inline constexpr qsizetype lockFileHost = 255;
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
