// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileSettings.h"

#include "configfiles/ConfigurationLines.h"

QHash<QString, FileSetting> settingsOf(const QStringList &lines)
{
    using namespace ConfigurationLines;
    QHash<QString, FileSetting> settings;
    for (int i = 0; i < lines.size(); ++i) {
        const ServerKey *key = matchKey(lines[i]);
        if (!key || !key->key.startsWith(u"set ") || key->wholeLine)
            continue;
        std::optional<QString> value = cutValue(lines[i], *key);
        // The map-list key is the whole "set maplist" line, of which the
        // console keeps only the word after the variable.
        if (std::holds_alternative<MapListSetting>(key->target)) {
            const MapListSwitch mapList = mapListSwitch(lines[i]);
            if (mapList == MapListSwitch::Neither)
                continue;
            value = mapList == MapListSwitch::On ? QStringLiteral("1") : QStringLiteral("0");
        }
        const QString variable = key->key.mid(4).toString().section(u' ', 0, 0);
        if (value)
            settings.insert(variable.toLower(), {*value, i + 1, variable});
    }
    return settings;
}

bool sameNumber(const QString &a, const QString &b)
{
    bool okA = false;
    bool okB = false;
    const double x = a.toDouble(&okA);
    const double y = b.toDouble(&okB);
    return okA && okB && x == y;
}
