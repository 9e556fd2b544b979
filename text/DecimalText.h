// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <optional>

// Decimal integer text: an optional "-" and one or more digits 0-9 (leading
// zeros allowed) whose value fits a signed 32-bit integer. Nothing else is a
// number: no spaces, no "+", no grouping. Mask fields hold this form and the
// configuration reader accepts only this form.
std::optional<qint32> parseDecimalInteger(QStringView text);

// Mask arithmetic as 32-bit integers do it: wrapping, never undefined.
qint32 addToMask(qint32 mask, qint32 value);
qint32 subtractFromMask(qint32 mask, qint32 value);

// A mask field's text after a flag of value moved into (adding) or out of
// its family's banned list; nothing when the text is no decimal integer.
std::optional<QString> maskTextAfterMove(QStringView maskText, qint32 value, bool adding);

// The server holds every setting as a 32-bit float, so a game library that
// reads a mask as a number sees the nearest value a float can hold: a mask
// of more than 24 significant bits may arrive as another mask.
qint32 maskAsTheGameSeesIt(qint32 mask);
