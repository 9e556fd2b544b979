// SPDX-License-Identifier: GPL-2.0-or-later
#include "OpenHarness.h"

#include "configfiles/ConfigurationLines.h"
#include "text/DecimalText.h"
#include "text/Diagnostics.h"

#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *what, QStringView line)
{
    std::fprintf(stderr, "line rule broken: %s: %s\n", what, qPrintable(Diagnostics::quoted(line)));
    std::abort();
}

} // namespace

void checkLineRules(const uint8_t *data, size_t size)
{
    using namespace ConfigurationLines;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = splitLines(text);
    qsizetype characters = 0;
    for (const QString &line : lines) {
        characters += line.size();
        if (line.contains(u'\n') || line.contains(u'\r'))
            broken("a split line holds a line end", line);

        const QString quoted = Diagnostics::quoted(line);
        if (quoted.size() > 4 * 200 + 64)
            broken("a quoted line is not bounded", line);
        for (const QChar c : quoted) {
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
                broken("a quoted line holds a control character", line);
        }

        const ServerKey *key = matchKey(line);
        if (!key)
            continue;
        const std::optional<QString> value = cutValue(line, *key);
        if (value && value->size() != line.size() - key->dropFromStart - key->dropFromEnd)
            broken("a value is not the line less its key's characters", line);
        if (!value && line.size() >= key->dropFromStart + key->dropFromEnd)
            broken("a long enough line gave no value", line);
        if (value && parseDecimalInteger(*value)) {
            const QStringView digits = QStringView(*value).sliced(value->startsWith(u'-') ? 1 : 0);
            for (const QChar c : digits) {
                if (c < u'0' || c > u'9')
                    broken("a number holds more than the digits 0 to 9", line);
            }
        }
    }
    if (characters > text.size())
        broken("the lines hold more than the text", text);
}
