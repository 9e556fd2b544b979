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
