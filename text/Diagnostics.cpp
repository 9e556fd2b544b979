// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/Diagnostics.h"

#include <QDebug>

namespace Diagnostics {

void warn(const QString &text)
{
    qWarning().noquote() << QStringLiteral("kez-server-config: ") + text;
}

QString quoted(QStringView line)
{
    constexpr qsizetype shown = 200;
    QString text = QStringLiteral("\"");
    for (const QChar c : line.first(qMin(line.size(), shown))) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0)) {
            text += QStringLiteral("\\x%1").arg(u, 2, 16, QChar(u'0'));
            continue;
        }
        if (u == u'\\' || u == u'"')
            text += u'\\';
        text += c;
    }
    text += u'"';
    if (line.size() > shown)
        text += QStringLiteral(" (%1 characters, the first %2 shown)").arg(line.size()).arg(shown);
    return text;
}

} // namespace Diagnostics
