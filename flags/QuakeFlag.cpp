// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/QuakeFlag.h"

QString QuakeFlag::toString() const
{
    return QStringLiteral("Flag Name: ") + flagName + QStringLiteral(" Flag Value: ") +
           QString::number(flagValue);
}
