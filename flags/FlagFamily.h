// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"
#include "flags/FlagMove.h"

#include <functional>

class ListBox;
class TextField;

// One flag family: its catalogue, its available list, its banned (for DMFLAGS,
// set) list and its mask field. Every flag of the catalogue is an item of
// exactly one of the two lists, and the mask field holds the sum of the values
// of the flags in the banned list. All nine families share this behaviour.
class FlagFamily
{
public:
    // Called after a flag has moved and the mask was updated, with the flag's
    // name and whether it is now in the banned list.
    using MoveHook = std::function<void(const QString &flagName, bool banned)>;

    FlagFamily(const FlagTable &table, ListBox *available, ListBox *banned, TextField *maskField);

    void setMoveHook(MoveHook hook) { m_moveHook = std::move(hook); }

    // Builds the catalogue anew and resets the lists and the mask field.
    void build();

    // Moves the flag called name (letter for letter an available item, and a
    // catalogue name ignoring letter case) to the end of the banned list and
    // adds its value to the mask.
    FlagMove set(const QString &name);

    // The double-click handlers of the two lists; only a click count of
    // exactly 2 acts, on the selected item.
    FlagMove availableListClicked(int clickCount);
    FlagMove bannedListClicked(int clickCount);

    const FlagCatalogue &catalogue() const { return m_catalogue; }
    QString caption() const { return QString::fromUtf16(m_table.caption); }
    ListBox *availableList() const { return m_available; }
    ListBox *bannedList() const { return m_banned; }
    TextField *maskField() const { return m_maskField; }

private:
    FlagMove changeMask(const QuakeFlag &flag, bool banned);
    static void selectInPlaceOf(ListBox *list, int row, FlagMove move);
    // A mask the game would read as another one gets a tooltip naming the
    // flags that the game would see.
    void explainMask(qint32 mask);

    const FlagTable &m_table;
    ListBox *m_available;
    ListBox *m_banned;
    TextField *m_maskField;
    FlagCatalogue m_catalogue;
    MoveHook m_moveHook;
};
