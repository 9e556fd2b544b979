// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"
#include "flags/FlagMove.h"

#include <QStringList>

// A flag family as plain data, for programs without a window: the catalogue,
// the available and banned names in list order, and the mask text. set()
// follows the window's set-method to the letter.
class FlagSelection
{
public:
    explicit FlagSelection(const FlagTable &table);

    // Builds the catalogue anew: every flag available, the mask "0".
    void build();
    // Moves the flag called name (letter for letter an available name, and a
    // catalogue name ignoring letter case) to the end of the banned names and
    // adds its value to the mask.
    FlagMove set(const QString &name);

    const FlagTable &table() const { return m_table; }
    const FlagCatalogue &catalogue() const { return m_catalogue; }
    const QStringList &available() const { return m_available; }
    const QStringList &banned() const { return m_banned; }
    const QString &maskText() const { return m_maskText; }

private:
    const FlagTable &m_table;
    FlagCatalogue m_catalogue;
    QStringList m_available;
    QStringList m_banned;
    QString m_maskText;
};
