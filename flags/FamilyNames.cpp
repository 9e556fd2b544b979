// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FamilyNames.h"

#include "text/NearestName.h"

#include <QStringList>

std::optional<std::size_t> familyNamed(QStringView name)
{
    for (std::size_t family = 0; family < FlagTables::familyCount; ++family) {
        const FlagTable &table = *FlagTables::families[family];
        if (name.compare(QString::fromUtf16(table.variable), Qt::CaseInsensitive) == 0 ||
            name.compare(QString::fromUtf16(table.caption), Qt::CaseInsensitive) == 0)
            return family;
    }
    return std::nullopt;
}

std::optional<std::size_t> familyOfVariable(QStringView variable)
{
    for (std::size_t family = 0; family < FlagTables::familyCount; ++family) {
        if (variable.compare(QString::fromUtf16(FlagTables::families[family]->variable),
                             Qt::CaseInsensitive) == 0)
            return family;
    }
    return std::nullopt;
}

QString familyVariables()
{
    QStringList variables;
    for (const FlagTable *table : FlagTables::families)
        variables.append(QString::fromUtf16(table->variable));
    return variables.join(QStringLiteral(", "));
}

QStringList familyNames()
{
    QStringList names;
    for (const FlagTable *table : FlagTables::families)
        names << QString::fromUtf16(table->variable) << QString::fromUtf16(table->caption);
    return names;
}

QStringList flagNamesOf(const FlagCatalogue &catalogue)
{
    QStringList names;
    for (const QuakeFlag &flag : catalogue)
        names.append(flag.getFlagName());
    return names;
}

QString noFlagNamed(const FlagTable &table, const FlagCatalogue &catalogue, const QString &name)
{
    return QStringLiteral("%1 has no flag \"%2\"%3")
        .arg(QString::fromUtf16(table.caption), name, didYouMean(name, flagNamesOf(catalogue)));
}
