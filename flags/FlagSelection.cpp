// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FlagSelection.h"

#include "flags/DecimalText.h"

FlagSelection::FlagSelection(const FlagTable &table) : m_table(table)
{
    build();
}

void FlagSelection::build()
{
    m_catalogue = buildCatalogue(m_table);
    m_available.clear();
    for (const QuakeFlag &flag : std::as_const(m_catalogue))
        m_available.append(flag.getFlagName());
    m_banned.clear();
    m_maskText = QStringLiteral("0");
}

FlagMove FlagSelection::set(const QString &name)
{
    const QuakeFlag *flag = findFlag(m_catalogue, name);
    if (!flag || !m_available.removeOne(name))
        return FlagMove::Unchanged;
    m_banned.append(name);
    const std::optional<QString> mask = maskTextAfterMove(m_maskText, flag->getFlagValue(), true);
    if (!mask)
        return FlagMove::MaskUnreadable;
    m_maskText = *mask;
    return FlagMove::Moved;
}
