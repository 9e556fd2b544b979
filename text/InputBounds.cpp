// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/InputBounds.h"

QString InputBounds::sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}
