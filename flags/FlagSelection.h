// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"
#include "flags/FlagMove.h"
#include "text/DecimalText.h"

#include <QStringList>

// A flag family's state: its catalogue, the available and the banned names
// in list order, and the mask text, the decimal sum of the banned flags'
// values. Every move of a flag goes through here, in kezcfg and in the
// window alike. Names is what holds the names: a QStringList, or the model
// that the window's list shows (it needs indexOf, at, size, removeAt, clear
// and append of one name or of many).
template <typename Names> class BasicFlagSelection
{
public:
    explicit BasicFlagSelection(const FlagTable &table) : m_table(table) { build(); }

    // Builds the catalogue anew: every flag available, the mask "0".
    void build()
    {
        m_catalogue = buildCatalogue(m_table);
        QStringList names;
        names.reserve(m_catalogue.size());
        for (const QuakeFlag &flag : std::as_const(m_catalogue))
            names.append(flag.getFlagName());
        m_banned.clear();
        m_available.clear();
        m_available.append(names);
        m_maskText = QStringLiteral("0");
    }

    // Moves the flag called name (letter for letter an available name, and a
    // catalogue name ignoring letter case) to the end of the banned names and
    // adds its value to the mask. Only a flag that is still available moves:
    // this is what keeps a value from being added to the mask twice.
    FlagMove set(const QString &name)
    {
        const QuakeFlag *flag = findFlag(m_catalogue, name);
        const qsizetype row = flag ? m_available.indexOf(name) : -1;
        if (row < 0)
            return FlagMove::Unchanged;
        m_available.removeAt(row);
        m_banned.append(name);
        return changeMask(*flag, true);
    }

    // Moves the banned name at row back to the end of the available names and
    // takes its value off the mask; a name that is no flag of the catalogue
    // stays where it is.
    FlagMove unset(qsizetype row)
    {
        if (row < 0 || row >= m_banned.size())
            return FlagMove::Unchanged;
        const QString name = m_banned.at(row);
        const QuakeFlag *flag = findFlag(m_catalogue, name);
        if (!flag)
            return FlagMove::Unchanged;
        m_banned.removeAt(row);
        m_available.append(name);
        return changeMask(*flag, false);
    }

    // The window's mask field can be given any text; the next move reads it.
    void setMaskText(const QString &text) { m_maskText = text; }

    const FlagTable &table() const { return m_table; }
    const FlagCatalogue &catalogue() const { return m_catalogue; }
    const Names &available() const { return m_available; }
    const Names &banned() const { return m_banned; }
    const QString &maskText() const { return m_maskText; }

    // For a list that shows the names and lets its own operations change them.
    Names &availableNames() { return m_available; }
    Names &bannedNames() { return m_banned; }

private:
    // A mask text that is not a decimal integer is left as it is; the flag
    // has moved all the same.
    FlagMove changeMask(const QuakeFlag &flag, bool banned)
    {
        const std::optional<QString> mask = maskTextAfterMove(m_maskText, flag.getFlagValue(), banned);
        if (!mask)
            return FlagMove::MaskUnreadable;
        m_maskText = *mask;
        return FlagMove::Moved;
    }

    const FlagTable &m_table;
    FlagCatalogue m_catalogue;
    Names m_available;
    Names m_banned;
    QString m_maskText;
};

// A family as plain data, for programs without a window.
using FlagSelection = BasicFlagSelection<QStringList>;
