// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <optional>

// The "rotation" list of an apply input, read straight from the input's bytes.
// A million-map rotation is the one large value apply meets, and made into
// JSON values its names cost many times what writing them costs; read here,
// they go from the input to the bytes of maplist.txt directly.
//
// Only the plain case is taken: a top-level object that gives "rotation" once,
// as a list of names of printable ASCII without escapes, each of which the
// console takes whole. Anything else is left to the JSON reader, which also
// says what is wrong with it.
struct PlainRotation
{
    QByteArray rest;  // the input with the list given as []
    int keyCount = 0; // the keys of the top-level object, as written
    // The lines of maplist.txt for the list, each name followed by '\n': the
    // first sharedPrefix bytes of the current file, then tail.
    qsizetype sharedPrefix = 0;
    QByteArray tail;

    bool sameAs(QByteArrayView current) const { return sharedPrefix == current.size() && tail.isEmpty(); }
    // The lines in pieces, the first a view of current, which must outlive them.
    QByteArrayList mapListPieces(QByteArrayView current) const;
};

// current: the bytes of maplist.txt as it is, or none.
std::optional<PlainRotation> readPlainRotation(QByteArrayView json, QByteArrayView current = {});
