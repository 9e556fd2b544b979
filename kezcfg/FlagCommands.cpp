// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg flags, decode and encode: the flag families of server.cfg, with the
// window's own catalogues.
#include "Commands.h"

#include "flags/FamilyNames.h"

#include "text/DecimalText.h"

#include <QRegularExpression>

namespace {

int unknownFamily(const QString &name)
{
    const QString nearest = didYouMean(name, familyNames());
    if (!nearest.isEmpty())
        return failure(QStringLiteral("no family is called \"%1\"%2").arg(name, nearest));
    return failure(QStringLiteral("no family is called \"%1\"; the families are %2, or their tab captions")
                       .arg(name, familyVariables()));
}

} // namespace

namespace Commands {

int flags(const FlagsOptions &options)
{
    std::optional<std::size_t> only;
    if (options.family && !(only = familyNamed(*options.family)))
        return unknownFamily(*options.family);
    bool first = true;
    for (std::size_t family = 0; family < FlagTables::familyCount; ++family) {
        if (only && *only != family)
            continue;
        const FlagTable &table = *FlagTables::families[family];
        if (!first)
            printOut(QStringLiteral("\n"));
        first = false;
        printOut(QString::fromUtf16(table.caption) + QStringLiteral(" (set ") +
                 QString::fromUtf16(table.variable) + QStringLiteral(")\n"));
        for (const QuakeFlag &flag : buildCatalogue(table)) {
            const int bit = qCountTrailingZeroBits(quint32(flag.getFlagValue()));
            printOut(QStringLiteral("  bit %1  %2  %3\n")
                         .arg(bit, 2)
                         .arg(flag.getFlagValue(), 10)
                         .arg(flag.getFlagName()));
        }
    }
    return 0;
}

int decode(const DecodeOptions &options)
{
    const std::optional<std::size_t> family = familyNamed(options.family);
    if (!family)
        return unknownFamily(options.family);
    const std::optional<qint32> mask = parseDecimalInteger(options.mask);
    if (!mask) {
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]+$"));
        if (digits.match(options.mask).hasMatch()) {
            const bool negative = options.mask.startsWith(u'-');
            return failure(QStringLiteral("the mask %1 is too %2: a mask is %3")
                               .arg(options.mask,
                                    negative ? QStringLiteral("small") : QStringLiteral("large"),
                                    negative ? QStringLiteral("at least -2147483648")
                                             : QStringLiteral("at most 2147483647")));
        }
        return failure(QStringLiteral("the mask \"%1\" is not a decimal integer").arg(options.mask));
    }
    const FlagCatalogue catalogue = buildCatalogue(*FlagTables::families[*family]);
    for (const QString &name : flagNamesIn(catalogue, *mask))
        printOut(name + u'\n');
    const quint32 unknown = quint32(*mask) & ~carriedBits(catalogue);
    for (int bit = 0; bit < 32; ++bit) {
        if (unknown & (quint32(1) << bit))
            printOut(QStringLiteral("bit %1 (%2): no flag\n").arg(bit).arg(quint32(1) << bit));
    }
    // The server holds the mask as a 32-bit float: the game may apply
    // other flags than the mask names.
    const qint32 seen = maskAsTheGameSeesIt(*mask);
    if (seen == *mask)
        return 0;
    const QStringList applied = flagNamesIn(catalogue, seen);
    printOut(QStringLiteral("the game reads the mask %1 as %2 (settings are 32-bit floats) and applies: %3\n")
                 .arg(*mask)
                 .arg(seen)
                 .arg(applied.isEmpty() ? QStringLiteral("no flag") : applied.join(QStringLiteral(", "))));
    return 1;
}

int encode(const EncodeOptions &options)
{
    const std::optional<std::size_t> family = familyNamed(options.family);
    if (!family)
        return unknownFamily(options.family);
    const FlagTable &table = *FlagTables::families[*family];
    const FlagCatalogue catalogue = buildCatalogue(table);
    quint32 mask = 0;
    for (const QString &name : options.flags) {
        const QuakeFlag *flag = findFlag(catalogue, name);
        if (!flag)
            return failure(noFlagNamed(table, catalogue, name));
        mask |= quint32(flag->getFlagValue());
    }
    printOut(QString::number(qint32(mask)) + u'\n');
    return 0;
}

} // namespace Commands
