// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/Diagnostics.h"

#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <QDebug>

namespace Diagnostics {

void warn(const QString &text)
{
    qWarning().noquote() << QStringLiteral("kez-server-config: ") + text;
}

QString quoted(QStringView line)
{
    qsizetype shown = InputBounds::quotedFileLine;
    if (line.size() > shown && line[shown - 1].isHighSurrogate())
        --shown; // never half a character
    QString text = u'"' + printableBetweenQuotes(line.first(qMin(line.size(), shown))) + u'"';
    if (line.size() > shown)
        text += QStringLiteral(" (%1 characters, the first %2 shown)").arg(line.size()).arg(shown);
    return text;
}

} // namespace Diagnostics
